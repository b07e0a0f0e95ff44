// The dialog templates of the program, one function per template (each in its own
// res/Dialog<id>.cpp). FindDialogTemplateResource names every one explicitly, so none depends on
// static registration.
#pragma once

#include "platform/wnd/DialogTemplate.h"

// The template with this id, or NULL.
const DialogTemplate* FindDialogTemplateResource(UINT id);

const DialogTemplate& Dialog100Template();
const DialogTemplate& Dialog102Template();
const DialogTemplate& Dialog129Template();
const DialogTemplate& Dialog130Template();
const DialogTemplate& Dialog131Template();
const DialogTemplate& Dialog132Template();
const DialogTemplate& Dialog133Template();
const DialogTemplate& Dialog134Template();
const DialogTemplate& Dialog136Template();
const DialogTemplate& Dialog138Template();
const DialogTemplate& Dialog135Template();
const DialogTemplate& Dialog142Template();
const DialogTemplate& Dialog141Template();
