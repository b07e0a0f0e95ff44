// The help file: UTF-8 text, one topic per block. A block starts with a line
// "[<context id>] <title>" (the id in decimal or 0x hexadecimal) and runs to the next such line;
// lines before the first block and lines starting with "#" are comments. Trailing blank lines
// of a block are dropped.
#pragma once

#include <vector>

#include "platform/base/CString.h"

class CHelpFile {
public:
    struct Topic {
        DWORD contextId = 0;
        CString title;
        CString text;
    };

    // FALSE if the file cannot be read (the topics are then empty).
    BOOL Load(const CString& path);
    void Parse(const CString& content);

    // The topic with this id, or NULL. If an id appears twice, the first block wins.
    const Topic* Find(DWORD contextId) const;

    // One line of the contents page: a dialog's topic with the popups of its controls, or a
    // topic that belongs to no dialog of the file (then without controls).
    struct ContentsEntry {
        const Topic* topic = nullptr;
        std::vector<const Topic*> controls;
    };
    // Every topic that Find can reach, once: the dialog topics (0x20000 + template id) in file
    // order, each with the control popups of that dialog (bit 31, template id in bits 16-30),
    // then the topics that belong to no dialog topic of the file.
    std::vector<ContentsEntry> Contents() const;
    // What the contents page calls a topic: its title, or for an untitled popup the start of
    // its text.
    static CString ContentsTitle(const Topic& topic);

    // A topic's text for a window that wraps lines itself: the lines the file wraps at its
    // own width are joined into one line per paragraph or list item ("1. ", "- "), with the
    // continuation's indent dropped. Blank lines stay as paragraph breaks.
    static CString Reflow(const CString& text);
    const std::vector<Topic>& Topics() const { return m_topics; }

private:
    std::vector<Topic> m_topics;
};
