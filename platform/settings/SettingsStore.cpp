#include "platform/settings/SettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string_view>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// File layout, one item per line:
//   quillet-settings 1
//   key "HKEY_CURRENT_USER" "Software" "Brenlow"
//   value "Options" dword 00000105
//   value "Path" sz "C:\\Tools"
//   value "Blob" data 3 0A0B0C
//   end
// The closing "end" line lets a truncated file be told from a complete one.
const char s_header[] = "quillet-settings 1";
const char s_rootNames[2][20] = {"HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"};

struct SettingsValue {
    std::string name;
    DWORD type = 0;
    std::vector<BYTE> data;
};

struct SettingsKey {
    std::string name;
    std::vector<SettingsValue> values;
    std::vector<std::unique_ptr<SettingsKey>> subkeys;

    SettingsKey* FindSubkey(const std::string& subName)
    {
        for (auto& subkey : subkeys)
            if (SettingsNamesEqual(subkey->name, subName))
                return subkey.get();
        return NULL;
    }

    SettingsKey* SubkeyCreated(const std::string& subName, BOOL* created)
    {
        if (SettingsKey* existing = FindSubkey(subName))
            return existing;
        subkeys.push_back(std::make_unique<SettingsKey>());
        subkeys.back()->name = subName;
        if (created)
            *created = TRUE;
        return subkeys.back().get();
    }

    SettingsValue* FindValue(const std::string& valueName)
    {
        for (auto& value : values)
            if (SettingsNamesEqual(value.name, valueName))
                return &value;
        return NULL;
    }
};

std::string HexByte(unsigned byte)
{
    static const char digits[] = "0123456789ABCDEF";
    return std::string{digits[(byte >> 4) & 15], digits[byte & 15]};
}

int HexDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    return -1;
}

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '\\' || ch == '"')
            out += '\\', out += (char)ch;
        else if (ch < 0x20 || ch == 0x7F)
            out += "\\x" + HexByte(ch);
        else
            out += (char)ch;
    }
    return out + "\"";
}

struct Token {
    std::string text;
    bool quoted = false;
};

// Splits one line into bare words and quoted strings; false on a malformed string.
bool Tokenize(std::string_view line, std::vector<Token>& tokens)
{
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ') {
            ++i;
            continue;
        }
        std::string token;
        if (line[i] != '"') {
            while (i < line.size() && line[i] != ' ') {
                if (line[i] == '"' || (unsigned char)line[i] < 0x20)
                    return false;
                token += line[i++];
            }
            tokens.push_back(Token{token, false});
            continue;
        }
        ++i;
        bool closed = false;
        while (i < line.size()) {
            char ch = line[i++];
            if (ch == '"') {
                closed = true;
                break;
            }
            if (ch != '\\') {
                token += ch;
                continue;
            }
            if (i >= line.size())
                return false;
            char escaped = line[i++];
            if (escaped == '\\' || escaped == '"') {
                token += escaped;
            } else if (escaped == 'x' && i + 1 < line.size() && HexDigit(line[i]) >= 0 &&
                       HexDigit(line[i + 1]) >= 0) {
                token += (char)(HexDigit(line[i]) * 16 + HexDigit(line[i + 1]));
                i += 2;
            } else {
                return false;
            }
        }
        if (!closed || (i < line.size() && line[i] != ' '))
            return false;
        tokens.push_back(Token{token, true});
    }
    return true;
}

bool ParseHex(const std::string& text, std::vector<BYTE>& out)
{
    if (text == "-")
        return true;
    if (text.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back((BYTE)(high * 16 + low));
    }
    return true;
}

bool ValidKeyName(const std::string& name)
{
    return !name.empty() && name.find('\\') == std::string::npos;
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeFolders(const std::string& folder)
{
    struct stat info;
    if (stat(folder.c_str(), &info) == 0)
        return S_ISDIR(info.st_mode);
    std::string parent = FolderOf(folder);
    if (parent != folder && !MakeFolders(parent))
        return false;
    return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        ssize_t written = write(fd, text.data() + done, text.size() - done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += (size_t)written;
    }
    return true;
}

} // namespace

bool SettingsNamesEqual(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = (unsigned char)a[i], y = (unsigned char)b[i];
        if (x >= 'a' && x <= 'z')
            x = (unsigned char)(x - 32);
        if (y >= 'a' && y <= 'z')
            y = (unsigned char)(y - 32);
        if (x != y)
            return false;
    }
    return true;
}

struct CSettingsStore::Tree {
    SettingsKey roots[2];

    Tree()
    {
        roots[0].name = s_rootNames[0];
        roots[1].name = s_rootNames[1];
    }

    SettingsKey& Root(SettingsRoot root) { return roots[root == SettingsRoot::LocalMachine ? 1 : 0]; }

    SettingsKey* Find(const SettingsKeyPath& path)
    {
        SettingsKey* key = &Root(path.root);
        for (const std::string& name : path.names) {
            key = key->FindSubkey(name);
            if (!key)
                return NULL;
        }
        return key;
    }

    SettingsKey* Create(const SettingsKeyPath& path, BOOL* created)
    {
        SettingsKey* key = &Root(path.root);
        for (const std::string& name : path.names)
            key = key->SubkeyCreated(name, created);
        return key;
    }

    // The key that every copy of the program expects to find, as a fresh system would have it.
    void EnsureSoftwareKey() { roots[0].SubkeyCreated("Software", NULL); }
};

// One locked visit to the file: the lock is held for the life of the session, so what is read
// and what is written back are one step for every other copy of the program.
class CSettingsStore::Session {
public:
    Session(const std::string& path, bool forWrite) : m_path(path)
    {
        if (forWrite && !MakeFolders(FolderOf(path)))
            m_writable = false;
        m_lockFd = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFd >= 0) {
            while (flock(m_lockFd, LOCK_EX) != 0 && errno == EINTR) {
            }
        } else if (forWrite) {
            m_writable = false;
        }
        Load();
        tree.EnsureSoftwareKey();
    }

    ~Session()
    {
        if (m_lockFd >= 0)
            close(m_lockFd);
    }

    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Replaces the file with the tree; false when the file must not or could not be written.
    bool Save()
    {
        if (!m_writable)
            return false;
        std::string text = Serialize();
        std::string temporary = m_path + ".XXXXXX";
        int fd = mkostemp(&temporary[0], O_CLOEXEC);
        if (fd < 0)
            return false;
        bool written = WriteAll(fd, text) && fsync(fd) == 0;
        written = close(fd) == 0 && written;
        if (!written || rename(temporary.c_str(), m_path.c_str()) != 0) {
            unlink(temporary.c_str());
            return false;
        }
        // The rename is only durable once the folder itself is on disk.
        int folder = open(FolderOf(m_path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (folder >= 0) {
            fsync(folder);
            close(folder);
        }
        return true;
    }

    Tree tree;

private:
    void Load()
    {
        std::string text;
        if (!ReadFile(text))
            return;
        int badLine = 0;
        std::string reason;
        if (!Parse(text, badLine, reason)) {
            tree = Tree();
            PutAside(badLine, reason);
        }
    }

    // False when there is nothing to parse. A file that exists but cannot be read is left
    // alone and never overwritten.
    bool ReadFile(std::string& text)
    {
        int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT) {
                fprintf(stderr, "quillet: cannot read the settings file %s: %s\n", m_path.c_str(),
                        strerror(errno));
                m_writable = false;
            }
            return false;
        }
        char buffer[4096];
        for (;;) {
            ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                fprintf(stderr, "quillet: cannot read the settings file %s: %s\n", m_path.c_str(),
                        strerror(errno));
                m_writable = false;
                close(fd);
                return false;
            }
            if (got == 0)
                break;
            text.append(buffer, (size_t)got);
        }
        close(fd);
        return true;
    }

    bool Parse(const std::string& text, int& badLine, std::string& reason)
    {
        SettingsKey* current = NULL;
        bool ended = false;
        size_t start = 0;
        int lineNumber = 0;
        while (start < text.size()) {
            size_t end = text.find('\n', start);
            if (end == std::string::npos) {
                badLine = lineNumber + 1;
                reason = "the last line is incomplete";
                return false;
            }
            std::string line = text.substr(start, end - start);
            start = end + 1;
            badLine = ++lineNumber;
            if (lineNumber == 1) {
                if (line != s_header) {
                    reason = "not a settings file of this program";
                    return false;
                }
                continue;
            }
            if (line.empty())
                continue;
            if (ended) {
                reason = "text after the end";
                return false;
            }
            std::vector<Token> tokens;
            if (!Tokenize(line, tokens) || tokens.empty()) {
                reason = "malformed text";
                return false;
            }
            if (tokens[0].text == "end" && !tokens[0].quoted && tokens.size() == 1) {
                ended = true;
            } else if (tokens[0].text == "key" && !tokens[0].quoted) {
                current = ParseKey(tokens);
                if (!current) {
                    reason = "malformed key";
                    return false;
                }
            } else if (tokens[0].text == "value" && !tokens[0].quoted) {
                if (!current || !ParseValue(tokens, *current)) {
                    reason = current ? "malformed value" : "value outside a key";
                    return false;
                }
            } else {
                reason = "unknown entry";
                return false;
            }
        }
        if (!ended) {
            badLine = lineNumber;
            reason = lineNumber == 0 ? "the file is empty" : "the file is truncated";
            return false;
        }
        return true;
    }

    SettingsKey* ParseKey(const std::vector<Token>& tokens)
    {
        if (tokens.size() < 2 || !tokens[1].quoted)
            return NULL;
        SettingsKeyPath path;
        const std::string& rootName = tokens[1].text;
        if (rootName == s_rootNames[1])
            path.root = SettingsRoot::LocalMachine;
        else if (rootName != s_rootNames[0])
            return NULL;
        for (size_t i = 2; i < tokens.size(); ++i) {
            if (!tokens[i].quoted || !ValidKeyName(tokens[i].text))
                return NULL;
            path.names.push_back(tokens[i].text);
        }
        return tree.Create(path, NULL);
    }

    static bool ParseValue(const std::vector<Token>& tokens, SettingsKey& key)
    {
        if (tokens.size() < 4 || !tokens[1].quoted || tokens[2].quoted)
            return false;
        SettingsValue value;
        value.name = tokens[1].text;
        if (key.FindValue(value.name))
            return false;
        const std::string& kind = tokens[2].text;
        if (kind == "dword" && tokens.size() == 4 && !tokens[3].quoted && tokens[3].text.size() == 8) {
            value.type = REG_DWORD_TYPE;
            if (!ParseHex(tokens[3].text, value.data))
                return false;
            std::swap(value.data[0], value.data[3]);
            std::swap(value.data[1], value.data[2]);
        } else if (kind == "sz" && tokens.size() == 4 && tokens[3].quoted) {
            value.type = REG_SZ_TYPE;
            const std::string& text = tokens[3].text;
            if (text.find('\0') != std::string::npos)
                return false;
            value.data.assign(text.begin(), text.end());
        } else if (kind == "data" && tokens.size() == 5 && !tokens[3].quoted &&
                   !tokens[4].quoted) {
            const std::string& number = tokens[3].text;
            if (number.empty() || number.size() > 10 ||
                number.find_first_not_of("0123456789") != std::string::npos)
                return false;
            unsigned long long type = std::stoull(number);
            if (type > 0xFFFFFFFFull)
                return false;
            value.type = (DWORD)type;
            if (!ParseHex(tokens[4].text, value.data))
                return false;
        } else {
            return false;
        }
        key.values.push_back(std::move(value));
        return true;
    }

    std::string Serialize()
    {
        std::string text = std::string(s_header) + "\n";
        for (SettingsKey& root : tree.roots) {
            std::vector<std::string> names{root.name};
            SerializeKey(root, names, text);
        }
        return text + "end\n";
    }

    static void SerializeKey(SettingsKey& key, std::vector<std::string>& names, std::string& text)
    {
        text += "key";
        for (const std::string& name : names)
            text += " " + Quoted(name);
        text += "\n";
        for (const SettingsValue& value : key.values)
            text += "value " + Quoted(value.name) + " " + ValueText(value) + "\n";
        for (auto& subkey : key.subkeys) {
            names.push_back(subkey->name);
            SerializeKey(*subkey, names, text);
            names.pop_back();
        }
    }

    static std::string ValueText(const SettingsValue& value)
    {
        const std::vector<BYTE>& data = value.data;
        if (value.type == REG_DWORD_TYPE && data.size() == 4)
            return "dword " + HexByte(data[3]) + HexByte(data[2]) + HexByte(data[1]) +
                   HexByte(data[0]);
        if (value.type == REG_SZ_TYPE)
            return "sz " + Quoted(std::string_view((const char*)data.data(), data.size()));
        std::string hex;
        for (BYTE byte : data)
            hex += HexByte(byte);
        return "data " + std::to_string(value.type) + " " + (hex.empty() ? "-" : hex);
    }

    // Keeps a damaged file for the user to inspect instead of writing over it.
    void PutAside(int badLine, const std::string& reason)
    {
        std::string stem = m_path;
        size_t dot = stem.rfind('.');
        if (dot != std::string::npos && dot > stem.rfind('/') + 1)
            stem.erase(dot);
        char stamp[32];
        time_t now = time(NULL);
        struct tm parts;
        gmtime_r(&now, &parts);
        strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &parts);
        std::string aside = stem + ".damaged-" + stamp;
        struct stat info;
        for (int n = 2; stat(aside.c_str(), &info) == 0; ++n)
            aside = stem + ".damaged-" + stamp + "-" + std::to_string(n);
        if (rename(m_path.c_str(), aside.c_str()) == 0) {
            fprintf(stderr,
                    "quillet: the settings file %s is damaged (line %d: %s); it was kept as %s "
                    "and the settings start empty\n",
                    m_path.c_str(), badLine, reason.c_str(), aside.c_str());
        } else {
            fprintf(stderr,
                    "quillet: the settings file %s is damaged (line %d: %s) and could not be "
                    "moved aside (%s); settings will not be saved\n",
                    m_path.c_str(), badLine, reason.c_str(), strerror(errno));
            m_writable = false;
        }
    }

    // The value types the file names by word; the store itself is agnostic of types.
    static constexpr DWORD REG_SZ_TYPE = 1;
    static constexpr DWORD REG_DWORD_TYPE = 4;

    std::string m_path;
    int m_lockFd = -1;
    bool m_writable = true;
};

CSettingsStore::CSettingsStore(std::string filePath) : m_filePath(std::move(filePath)) {}

std::string CSettingsStore::DefaultFilePath()
{
    const char* config = getenv("XDG_CONFIG_HOME");
    std::string folder;
    if (config && config[0] == '/') {
        folder = config;
    } else {
        const char* home = getenv("HOME");
        folder = std::string(home && home[0] ? home : ".") + "/.config";
    }
    return folder + "/quillet/settings.txt";
}

BOOL CSettingsStore::KeyExists(const SettingsKeyPath& key)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, false);
    return session.tree.Find(key) != NULL;
}

LONG CSettingsStore::CreateKey(const SettingsKeyPath& key, BOOL* created)
{
    for (const std::string& name : key.names)
        if (!ValidKeyName(name))
            return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, true);
    BOOL isNew = FALSE;
    session.tree.Create(key, &isNew);
    if (created)
        *created = isNew;
    if (isNew && !session.Save())
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

LONG CSettingsStore::QueryValue(const SettingsKeyPath& key, const std::string& name, DWORD* type,
                                std::vector<BYTE>* data)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, false);
    SettingsKey* found = session.tree.Find(key);
    SettingsValue* value = found ? found->FindValue(name) : NULL;
    if (!value)
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = value->type;
    if (data)
        *data = value->data;
    return ERROR_SUCCESS;
}

LONG CSettingsStore::SetValue(const SettingsKeyPath& key, const std::string& name, DWORD type,
                              const std::vector<BYTE>& data)
{
    for (const std::string& keyName : key.names)
        if (!ValidKeyName(keyName))
            return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, true);
    SettingsKey* target = session.tree.Create(key, NULL);
    if (SettingsValue* value = target->FindValue(name)) {
        value->type = type;
        value->data = data;
    } else {
        target->values.push_back(SettingsValue{name, type, data});
    }
    return session.Save() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG CSettingsStore::DeleteValue(const SettingsKeyPath& key, const std::string& name)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, true);
    SettingsKey* found = session.tree.Find(key);
    if (!found)
        return ERROR_FILE_NOT_FOUND;
    for (auto it = found->values.begin(); it != found->values.end(); ++it) {
        if (SettingsNamesEqual(it->name, name)) {
            found->values.erase(it);
            return session.Save() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> CSettingsStore::ValueNames(const SettingsKeyPath& key)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, false);
    std::vector<std::string> names;
    if (SettingsKey* found = session.tree.Find(key))
        for (const SettingsValue& value : found->values)
            names.push_back(value.name);
    return names;
}

std::vector<std::string> CSettingsStore::SubkeyNames(const SettingsKeyPath& key)
{
    std::lock_guard<std::mutex> guard(m_mutex);
    Session session(m_filePath, false);
    std::vector<std::string> names;
    if (SettingsKey* found = session.tree.Find(key))
        for (auto& subkey : found->subkeys)
            names.push_back(subkey->name);
    return names;
}

CServiceSlot<CSettingsStore*>& SettingsStoreSlot()
{
    static CServiceSlot<CSettingsStore*> slot;
    return slot;
}

CSettingsStore& CurrentSettingsStore()
{
    if (CSettingsStore* installed = SettingsStoreSlot().Get())
        return *installed;
    // Created on first use, so that the path follows XDG_CONFIG_HOME as set by then.
    static CSettingsStore s_defaultStore(CSettingsStore::DefaultFilePath());
    return s_defaultStore;
}

CSettingsStore* InstallSettingsStore(CSettingsStore* store)
{
    return SettingsStoreSlot().Install(store);
}
