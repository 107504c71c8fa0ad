#include "platform/win32/win32_folder_watch.h"

#include <algorithm>
#include <utility>

#include "platform/win32/callback_guard.h"
#include "platform/win32/text_codec.h"
#include "platform/win32/unique_handle.h"

namespace kv::platform::win32 {

namespace {

constexpr DWORD kWatched = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

}  // namespace

class Win32FolderWatch : public FolderWatch {
public:
    Win32FolderWatch(Win32FolderWatchFactory& factory, UniqueHandle folder, UniqueHandle event,
                     FolderWatchFactory::OnChange onChange)
        : factory_(factory), folder_(std::move(folder)), event_(std::move(event)), onChange_(std::move(onChange)) {}

    ~Win32FolderWatch() override {
        factory_.forget(this);
        // The buffer and the OVERLAPPED must outlive the read the system holds.
        if (reading_ && CancelIoEx(folder_.get(), &overlapped_)) {
            DWORD bytes = 0;
            GetOverlappedResult(folder_.get(), &overlapped_, &bytes, TRUE);
        }
    }

    HANDLE event() const { return event_.get(); }

    bool read() {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_.get();
        reading_ = ReadDirectoryChangesW(folder_.get(), buffer_, sizeof buffer_, FALSE, kWatched, nullptr,
                                         &overlapped_, nullptr) != 0;
        return reading_;
    }

    // The read came back: the names of the files created, written or renamed
    // into the folder, or one empty name when the buffer overflowed and the
    // system kept no names. A folder that can no
    // longer be read stays silent; the poll timer still runs.
    void completed() {
        DWORD bytes = 0;
        const bool ok = GetOverlappedResult(folder_.get(), &overlapped_, &bytes, FALSE) != 0;
        reading_ = false;
        std::vector<std::pair<std::string, FolderChange>> changes;
        if (!ok || bytes == 0) changes.emplace_back(std::string(), FolderChange::Written);
        for (DWORD at = 0; ok && at < bytes;) {
            const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer_ + at);
            // A file that leaves brings nothing to read; heard, it would only
            // make a cycle find the log missing while its writer replaces it.
            if (entry->Action != FILE_ACTION_REMOVED && entry->Action != FILE_ACTION_RENAMED_OLD_NAME)
                changes.emplace_back(
                    utf8FromWide(std::wstring_view(entry->FileName, entry->FileNameLength / sizeof(wchar_t))),
                    entry->Action == FILE_ACTION_RENAMED_NEW_NAME ? FolderChange::RenamedIn : FolderChange::Written);
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
        if (ok) read();
        // The callback may end this watch; what it needs is copied first.
        const auto onChange = onChange_;
        for (const auto& [name, how] : changes) onChange(name, how);
    }

private:
    Win32FolderWatchFactory& factory_;
    UniqueHandle folder_;
    UniqueHandle event_;
    FolderWatchFactory::OnChange onChange_;
    OVERLAPPED overlapped_{};
    alignas(DWORD) BYTE buffer_[16384];
    bool reading_ = false;
};

std::unique_ptr<FolderWatch> Win32FolderWatchFactory::watch(const std::string& folder, OnChange onChange) {
    UniqueHandle handle(CreateFileW(utf8ToWide(folder).c_str(), FILE_LIST_DIRECTORY,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    // Auto-reset: the wait that hears it makes it ready for the next read, with no call of its own.
    UniqueHandle event(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!handle || !event) return nullptr;
    auto watch = std::make_unique<Win32FolderWatch>(*this, std::move(handle), std::move(event), std::move(onChange));
    if (!watch->read()) return nullptr;
    live_.push_back(watch.get());
    return watch;
}

std::vector<HANDLE> Win32FolderWatchFactory::events() const {
    std::vector<HANDLE> events;
    for (const Win32FolderWatch* watch : live_) events.push_back(watch->event());
    return events;
}

void Win32FolderWatchFactory::signalled(HANDLE event) {
    const auto found =
        std::find_if(live_.begin(), live_.end(), [&](const Win32FolderWatch* w) { return w->event() == event; });
    if (found != live_.end()) runGuarded([watch = *found] { watch->completed(); });
}

void Win32FolderWatchFactory::forget(Win32FolderWatch* watch) { std::erase(live_, watch); }

}  // namespace kv::platform::win32
