#include "platform/settings/SettingsStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/settings/ISettingsReporter.h"
#include "platform/settings/SettingsFileFormat.h"

namespace {

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
    if (stat(folder.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        errno = ENOTDIR;
        return false;
    }
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
        if (written == 0)
            errno = EIO;
        if (written <= 0)
            return false;
        done += (size_t)written;
    }
    return true;
}

std::string Reason(const char* what, int error)
{
    return std::string(what) + ": " + strerror(error);
}

void PrintToStderr(const std::string& text)
{
    fprintf(stderr, "quillet: %s\n", text.c_str());
}

CServiceSlot<ISettingsReporter*> s_reporterSlot;

}  // namespace

// One locked visit to the file: the lock is held for the life of the session, so what is read
// and what is written back are one step for every other copy of the program.
class CSettingsStore::Session {
public:
    Session(CSettingsStore& store, bool forWrite) : m_store(store), m_path(store.m_filePath)
    {
        if (forWrite && !MakeFolders(FolderOf(m_path)))
            NotWritable(Reason("cannot create its folder", errno));
        m_lockFd = open((m_path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lockFd >= 0) {
            while (flock(m_lockFd, LOCK_EX) != 0 && errno == EINTR) {}
        } else if (forWrite) {
            NotWritable(Reason("cannot lock it", errno));
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

    // Replaces the file with the tree; false when the file must not or could not be written,
    // which the user is told about once.
    bool Save()
    {
        std::string reason;
        bool saved = m_writable && WriteFile(CSettingsFileFormat::Serialize(tree), reason);
        if (!m_writable)
            reason = m_whyNotWritable;
        if (saved) {
            m_store.m_bWriteFailureReported = false;
        } else if (!m_store.m_bWriteFailureReported) {
            m_store.m_bWriteFailureReported = true;
            m_store.Report("The settings could not be saved to " + m_path + " (" + reason +
                           "). The change is not kept.");
        }
        return saved;
    }

    CSettingsTree tree;

private:
    void NotWritable(const std::string& reason)
    {
        if (m_writable)
            m_whyNotWritable = reason;
        m_writable = false;
    }

    bool WriteFile(const std::string& text, std::string& reason)
    {
        std::string temporary = m_path + ".XXXXXX";
        int fd = mkostemp(&temporary[0], O_CLOEXEC);
        if (fd < 0) {
            reason = Reason("cannot create a file beside it", errno);
            return false;
        }
        bool written = WriteAll(fd, text) && fsync(fd) == 0;
        int error = errno;
        if (close(fd) != 0 && written) {
            written = false;
            error = errno;
        }
        if (written && rename(temporary.c_str(), m_path.c_str()) != 0) {
            written = false;
            error = errno;
        }
        if (!written) {
            unlink(temporary.c_str());
            reason = strerror(error);
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

    void Load()
    {
        std::string text;
        if (!ReadFile(text))
            return;
        SettingsDamage damage;
        if (CSettingsFileFormat::Parse(text, tree, damage)) {
            m_store.m_bStuckDamageReported = false;
            return;
        }
        if (!PutAside(damage))
            return;
        // What the damaged file still held is written anew, so the next session finds it.
        if (tree.HoldsSettings())
            Save();
    }

    // False when there is nothing to parse. A file that exists but cannot be read is left
    // alone and never overwritten.
    bool ReadFile(std::string& text)
    {
        int fd = open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno != ENOENT)
                CannotRead(errno);
            return false;
        }
        char buffer[4096];
        for (;;) {
            ssize_t got = read(fd, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0) {
                CannotRead(errno);
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

    void CannotRead(int error)
    {
        fprintf(stderr, "quillet: cannot read the settings file %s: %s\n", m_path.c_str(), strerror(error));
        NotWritable(Reason("the file cannot be read", error));
    }

    // Keeps a damaged file for the user to inspect instead of writing over it. False when it
    // could not be moved: the store must then not write at all.
    bool PutAside(const SettingsDamage& damage)
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
        std::string what = "The settings file " + m_path + " is damaged (line " + std::to_string(damage.line) + ": " +
                           damage.reason + ")";
        if (rename(m_path.c_str(), aside.c_str()) == 0) {
            m_store.m_bStuckDamageReported = false;
            m_store.Report(what + ". It was kept as " + aside + ", and " +
                           (tree.HoldsSettings() ? "the settings that could be read from it are used."
                                                 : "the settings start empty."));
            return true;
        }
        int error = errno;
        NotWritable(Reason("the damaged file could not be moved aside", error));
        // Every session meets the same file; the user hears of it once, and the writes that
        // fail because of it say nothing more.
        if (!m_store.m_bStuckDamageReported) {
            m_store.m_bStuckDamageReported = true;
            m_store.m_bWriteFailureReported = true;
            m_store.Report(what + " and could not be moved aside (" + strerror(error) +
                           "). Settings will not be saved until it is repaired or removed.");
        }
        return false;
    }

    CSettingsStore& m_store;
    std::string m_path;
    int m_lockFd = -1;
    bool m_writable = true;
    std::string m_whyNotWritable;
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

template <typename Action>
auto CSettingsStore::WithSession(bool forWrite, Action action)
{
    std::unique_lock<std::mutex> guard(m_mutex);
    auto result = [&] {
        Session session(*this, forWrite);
        return action(session);
    }();
    guard.unlock();
    DeliverReports();
    return result;
}

void CSettingsStore::Report(const std::string& text)
{
    PrintToStderr(text);
    m_reports.push_back(text);
}

void CSettingsStore::DeliverReports()
{
    std::vector<std::string> reports;
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        reports.swap(m_reports);
    }
    for (const std::string& text : reports)
        if (ISettingsReporter* reporter = s_reporterSlot.Get())
            reporter->ReportSettingsProblem(text);
}

BOOL CSettingsStore::KeyExists(const SettingsKeyPath& key)
{
    return WithSession(false, [&](Session& session) -> BOOL { return session.tree.Find(key) != NULL; });
}

LONG CSettingsStore::CreateKey(const SettingsKeyPath& key, BOOL* created)
{
    for (const std::string& name : key.names)
        if (!ValidKeyName(name))
            return ERROR_INVALID_PARAMETER;
    return WithSession(true, [&](Session& session) -> LONG {
        BOOL isNew = FALSE;
        session.tree.Create(key, &isNew);
        if (created)
            *created = isNew;
        if (isNew && !session.Save())
            return ERROR_ACCESS_DENIED;
        return ERROR_SUCCESS;
    });
}

LONG CSettingsStore::QueryValue(const SettingsKeyPath& key, const std::string& name, DWORD* type,
                                std::vector<BYTE>* data)
{
    return WithSession(false, [&](Session& session) -> LONG {
        SettingsKey* found = session.tree.Find(key);
        SettingsValue* value = found ? found->FindValue(name) : NULL;
        if (!value)
            return ERROR_FILE_NOT_FOUND;
        if (type)
            *type = value->type;
        if (data)
            *data = value->data;
        return ERROR_SUCCESS;
    });
}

LONG CSettingsStore::SetValue(const SettingsKeyPath& key, const std::string& name, DWORD type,
                              const std::vector<BYTE>& data)
{
    for (const std::string& keyName : key.names)
        if (!ValidKeyName(keyName))
            return ERROR_INVALID_PARAMETER;
    return WithSession(true, [&](Session& session) -> LONG {
        SettingsKey* target = session.tree.Create(key, NULL);
        if (SettingsValue* value = target->FindValue(name)) {
            value->type = type;
            value->data = data;
        } else {
            target->values.push_back(SettingsValue{name, type, data});
        }
        return session.Save() ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    });
}

LONG CSettingsStore::DeleteValue(const SettingsKeyPath& key, const std::string& name)
{
    return WithSession(true, [&](Session& session) -> LONG {
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
    });
}

std::vector<std::string> CSettingsStore::ValueNames(const SettingsKeyPath& key)
{
    return WithSession(false, [&](Session& session) {
        std::vector<std::string> names;
        if (SettingsKey* found = session.tree.Find(key))
            for (const SettingsValue& value : found->values)
                names.push_back(value.name);
        return names;
    });
}

std::vector<std::string> CSettingsStore::SubkeyNames(const SettingsKeyPath& key)
{
    return WithSession(false, [&](Session& session) {
        std::vector<std::string> names;
        if (SettingsKey* found = session.tree.Find(key))
            for (auto& subkey : found->subkeys)
                names.push_back(subkey->name);
        return names;
    });
}

ISettingsReporter* InstallSettingsReporter(ISettingsReporter* reporter)
{
    return s_reporterSlot.Install(reporter);
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
