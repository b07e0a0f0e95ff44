// Storage and model of a list box. Strings live in large shared chunks with a small index
// entry each, so a million 76-character lines cost about 90 MB instead of the several hundred
// that one heap string and one model item per line would; item data is kept only once some
// entry has any. While updates are suspended (SetRedraw FALSE) changes are not announced one
// by one: the view is reset once when updates resume.
#pragma once

#include <QAbstractListModel>
#include <functional>
#include <memory>
#include <vector>

#include "platform/base/CString.h"

class CListBoxModel : public QAbstractListModel {
    Q_OBJECT

public:
    explicit CListBoxModel(bool sorted, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int Count() const;
    // Index of the new entry; -1 on failure.
    int Add(std::string_view text);
    int Insert(int index, std::string_view text);
    // Entries left, or -1 for a bad index.
    int Delete(int index);
    void Clear();
    void Reserve(int items, size_t bytes);

    bool IsValid(int index) const { return index >= 0 && index < Count(); }
    std::string_view Text(int index) const;
    // Text into `out` (also for on-demand lines); FALSE for a bad index.
    bool GetText(int index, CString& out) const;
    DWORD_PTR ItemData(int index) const;
    void SetItemData(int index, DWORD_PTR data);

    // Case-insensitive search after `startAfter`, wrapping; -1 if none.
    int Find(int startAfter, std::string_view text, bool exact) const;

    void SetLineSource(int count, std::function<void(int, CString&)> line);

    // Suspends change announcements (nesting counts); the last resume resets the views.
    void SuspendUpdates();
    void ResumeUpdates();
    bool UpdatesSuspended() const { return m_suspendDepth > 0; }

    // The search of list and combo boxes among `count` entries whose texts `textAt` gives:
    // the first entry after `startAfter` (from the top when it is -1 or out of range),
    // wrapping round, that begins with `text` or, when `exact`, equals it, compared without
    // case; -1 if none.
    static int Search(int count, int startAfter, std::string_view text, bool exact,
                      const std::function<std::string_view(int)>& textAt);
    // ASCII case-insensitive order, the order of sorted list and combo boxes.
    static int CompareNoCase(std::string_view a, std::string_view b);

private:
    struct Entry {
        uint32_t chunk;
        uint32_t offset;
        uint32_t length;
    };

    Entry Store(std::string_view text);
    int SortedPosition(std::string_view text) const;
    void MaterializeSource();
    void BeginInsert(int row);
    void EndInsert();

    bool m_sorted;
    std::vector<std::unique_ptr<char[]>> m_chunks;
    std::vector<size_t> m_chunkSizes;
    size_t m_chunkUsed = 0;  // bytes used in the last chunk
    std::vector<Entry> m_entries;
    std::vector<DWORD_PTR> m_itemData;  // empty until an entry gets data
    int m_suspendDepth = 0;
    bool m_changedWhileSuspended = false;

    std::function<void(int, CString&)> m_source;
    int m_sourceCount = 0;
};
