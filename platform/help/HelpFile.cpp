#include "platform/help/HelpFile.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

// "[<id>] title": the id in decimal or 0x hexadecimal, up to 32 bits.
bool ParseHeader(const std::string& line, DWORD& id, std::string& title)
{
    if (line.empty() || line[0] != '[')
        return false;
    size_t close = line.find(']');
    if (close == std::string::npos || close == 1)
        return false;
    std::string number = line.substr(1, close - 1);
    for (char ch : number)
        if (!isxdigit((unsigned char)ch) && ch != 'x' && ch != 'X')
            return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long value = strtoull(number.c_str(), &end, 0);
    if (errno != 0 || !end || *end != '\0' || value > 0xFFFFFFFFull)
        return false;
    id = (DWORD)value;
    title = line.substr(close + 1);
    size_t first = title.find_first_not_of(" \t");
    title = first == std::string::npos ? std::string() : title.substr(first);
    while (!title.empty() && (title.back() == ' ' || title.back() == '\t'))
        title.pop_back();
    return true;
}

void TrimTrailingBlankLines(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
}

// "1. " or "- ": a list item, which starts a line of its own.
bool StartsListItem(const std::string& line)
{
    size_t digits = 0;
    while (digits < line.size() && isdigit((unsigned char)line[digits]))
        ++digits;
    if (digits > 0)
        return line.compare(digits, 2, ". ") == 0;
    return line.compare(0, 2, "- ") == 0;
}

const DWORD kDialogTopicBase = 0x20000;
const DWORD kControlBit = 0x80000000u;
const size_t kUntitledLength = 40;

// The dialog topic a control popup belongs to; 0 for a topic that is no control popup.
DWORD DialogTopicOf(DWORD contextId)
{
    if (!(contextId & kControlBit))
        return 0;
    return kDialogTopicBase + ((contextId >> 16) & 0x7FFF);
}

bool IsDialogTopic(DWORD contextId)
{
    return !(contextId & kControlBit) && contextId > kDialogTopicBase && contextId <= kDialogTopicBase + 0x7FFF;
}

}  // namespace

BOOL CHelpFile::Load(const CString& path)
{
    m_topics.clear();
    std::ifstream file(path.GetString(), std::ios::binary);
    if (!file)
        return FALSE;
    std::stringstream content;
    content << file.rdbuf();
    Parse(CString(content.str()));
    return TRUE;
}

void CHelpFile::Parse(const CString& content)
{
    m_topics.clear();
    std::istringstream lines(content.str());
    std::string line;
    Topic* current = nullptr;
    std::string text;
    auto finish = [&] {
        if (current) {
            TrimTrailingBlankLines(text);
            current->text = text;
        }
        text.clear();
    };
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        DWORD id = 0;
        std::string title;
        if (ParseHeader(line, id, title)) {
            finish();
            m_topics.push_back(Topic{id, CString(title), CString()});
            current = &m_topics.back();
            continue;
        }
        if (!current || (!line.empty() && line[0] == '#'))
            continue;
        if (text.empty() && line.empty())
            continue;  // blank lines right after the header
        text += line;
        text += '\n';
    }
    finish();
}

const CHelpFile::Topic* CHelpFile::Find(DWORD contextId) const
{
    for (const Topic& topic : m_topics)
        if (topic.contextId == contextId)
            return &topic;
    return NULL;
}

std::vector<CHelpFile::ContentsEntry> CHelpFile::Contents() const
{
    std::vector<ContentsEntry> dialogs;
    std::vector<ContentsEntry> others;
    auto reachable = [this](const Topic& topic) { return Find(topic.contextId) == &topic; };
    for (const Topic& topic : m_topics)
        if (reachable(topic) && IsDialogTopic(topic.contextId))
            dialogs.push_back(ContentsEntry{&topic, {}});
    for (const Topic& topic : m_topics) {
        if (!reachable(topic) || IsDialogTopic(topic.contextId))
            continue;
        DWORD dialog = DialogTopicOf(topic.contextId);
        bool placed = false;
        for (ContentsEntry& entry : dialogs)
            if (dialog != 0 && entry.topic->contextId == dialog) {
                entry.controls.push_back(&topic);
                placed = true;
                break;
            }
        if (!placed)
            others.push_back(ContentsEntry{&topic, {}});
    }
    dialogs.insert(dialogs.end(), others.begin(), others.end());
    return dialogs;
}

CString CHelpFile::ContentsTitle(const Topic& topic)
{
    if (!topic.title.IsEmpty())
        return topic.title;
    std::string text = Reflow(topic.text).str();
    text = text.substr(0, text.find('\n'));
    if (text.size() > kUntitledLength)
        text = text.substr(0, kUntitledLength) + "...";
    return CString(text);
}

CString CHelpFile::Reflow(const CString& text)
{
    std::istringstream lines(text.str());
    std::string line;
    std::string out;
    bool previousBlank = true;
    while (std::getline(lines, line)) {
        size_t first = line.find_first_not_of(" \t");
        bool blank = first == std::string::npos;
        if (!blank && !previousBlank && !StartsListItem(line)) {
            out += ' ';
            out += line.substr(first);
        } else {
            if (!out.empty())
                out += '\n';
            out += blank ? std::string() : line;
        }
        previousBlank = blank;
    }
    return CString(out);
}
