// Reader of the headers of a .hye executable held in memory (a program built into this one as
// a resource) rather than in a file. It reads the same headers as ReadCoffHeaders and accepts
// the same images, but keeps no process-wide state: the caller owns what it reads.
#pragma once

#include <memory>

#include "coff/CoffReader.h"
#include "platform/base/WinTypes.h"

// The file header, the optional header and the section table of the `size` bytes at `image`.
// TRUE when the magic and the optional-header size are right and all three lie inside the
// image; only then are `header`, `opt` and `sections` replaced (`sections` empty for an image
// of no sections). FALSE also when the section table cannot be allocated. Never reads outside
// image[0 .. size).
BOOL ReadCoffImageHeaders(const BYTE* image, DWORD size, CoffFileHeader& header, CoffOptHeader& opt,
                          std::unique_ptr<CoffSection[]>& sections);
