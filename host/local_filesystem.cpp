#include "local_filesystem.h"

#include <trovaplay/sdk/exception_io.h>
#include <trovaplay/shared/shared.h>

#include <cstring>
#include <new>
#include <string>

#include "host_object.h"
#include "text.h"

namespace host {

namespace {

const char kPrefix[] = "file://";
const std::size_t kPrefixLength = sizeof(kPrefix) - 1;

[[noreturn]] void throw_last_error() { throw_io_for_win32_error(GetLastError()); }

bool is_local(const char* path) { return path != nullptr && std::strncmp(path, kPrefix, kPrefixLength) == 0; }

// The Windows path of a "file://" path, or exception_io_no_handler_for_path.
std::wstring windows_path(const char* path) {
    if (!is_local(path)) throw trovaplay_io::exception_io_no_handler_for_path();
    return to_wide(path + kPrefixLength);
}

std::uint64_t join(DWORD high, DWORD low) { return std::uint64_t(high) << 32 | low; }

std::string directory_of(const std::string& path) {
    const std::size_t at = path.find_last_of("\\/");
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

bool is_absolute(const char* path) {
    return (path[0] != 0 && path[1] == ':') || path[0] == '\\' || path[0] == '/';
}

// A file over an open Win32 handle, closed with the last reference.
class local_file final : public host_object<trovaplay_io::file> {
public:
    explicit local_file(HANDLE handle) : m_handle(handle) {}

    std::uint32_t read(void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override {
        std::uint32_t done = 0;
        while (done < p_bytes) {
            p_abort.check();
            DWORD got = 0;
            if (!ReadFile(m_handle, static_cast<char*>(p_buffer) + done, p_bytes - done, &got, nullptr))
                throw_last_error();
            if (got == 0) break;
            done += got;
        }
        return done;
    }
    void write(const void* p_buffer, std::uint32_t p_bytes, trovaplay_io::abort_callback& p_abort) override {
        std::uint32_t done = 0;
        while (done < p_bytes) {
            p_abort.check();
            DWORD put = 0;
            if (!WriteFile(m_handle, static_cast<const char*>(p_buffer) + done, p_bytes - done, &put, nullptr))
                throw_last_error();
            if (put == 0) throw trovaplay_io::exception_io_device_full();
            done += put;
        }
    }
    std::uint64_t get_size(trovaplay_io::abort_callback&) override {
        LARGE_INTEGER size;
        if (!GetFileSizeEx(m_handle, &size)) throw_last_error();
        return std::uint64_t(size.QuadPart);
    }
    std::uint64_t get_position(trovaplay_io::abort_callback&) override { return move_pointer(0, FILE_CURRENT); }
    void resize(std::uint64_t p_size, trovaplay_io::abort_callback&) override {
        const std::uint64_t position = move_pointer(0, FILE_CURRENT);
        move_pointer(p_size, FILE_BEGIN);
        if (!SetEndOfFile(m_handle)) throw_last_error();
        move_pointer(position < p_size ? position : p_size, FILE_BEGIN);
    }
    void seek(std::uint64_t p_position, trovaplay_io::abort_callback&) override { move_pointer(p_position, FILE_BEGIN); }
    bool can_seek() override { return true; }
    std::uint64_t get_timestamp(trovaplay_io::abort_callback&) override {
        FILETIME written;
        if (!GetFileTime(m_handle, nullptr, nullptr, &written)) throw_last_error();
        return join(written.dwHighDateTime, written.dwLowDateTime);
    }
    void reopen(trovaplay_io::abort_callback&) override { move_pointer(0, FILE_BEGIN); }

private:
    ~local_file() { CloseHandle(m_handle); }
    void destroy() override { delete this; }

    std::uint64_t move_pointer(std::uint64_t distance, DWORD method) {
        LARGE_INTEGER to, now;
        to.QuadPart = LONGLONG(distance);
        if (!SetFilePointerEx(m_handle, to, &now, method)) throw_last_error();
        return std::uint64_t(now.QuadPart);
    }

    HANDLE m_handle;
};

// Closes a directory search on every way out.
struct find_scope {
    HANDLE handle;
    ~find_scope() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
    }
};

class local_filesystem final : public host_object<filesystem> {
public:
    bool get_canonical_path(const char* p_path, zut::string_base& p_out) override {
        if (!is_local(p_path)) return false;
        const std::wstring full = full_path(windows_path(p_path));
        p_out.set_string((kPrefix + to_utf8(full)).c_str());
        return true;
    }
    bool owns_path(const char* p_path) override { return is_local(p_path); }
    bool get_display_path(const char* p_path, zut::string_base& p_out) override {
        if (!is_local(p_path)) return false;
        p_out.set_string(p_path + kPrefixLength);
        return true;
    }
    void open(file_ptr& p_out, const char* p_path, std::uint32_t p_mode, abort_callback& p_abort) override {
        p_abort.check();
        DWORD access, disposition;
        switch (p_mode) {
            case open_mode_read:
                access = GENERIC_READ;
                disposition = OPEN_EXISTING;
                break;
            case 1:  // an existing object, for reading and writing
                access = GENERIC_READ | GENERIC_WRITE;
                disposition = OPEN_EXISTING;
                break;
            case open_mode_write_new:
                access = GENERIC_READ | GENERIC_WRITE;
                disposition = CREATE_ALWAYS;
                break;
            default:
                throw_io_for_win32_error(ERROR_INVALID_PARAMETER);
        }
        const DWORD share = p_mode == open_mode_read ? FILE_SHARE_READ : 0;
        HANDLE handle = CreateFileW(windows_path(p_path).c_str(), access, share, nullptr, disposition,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) throw_last_error();
        local_file* made = new (std::nothrow) local_file(handle);
        if (made == nullptr) {
            CloseHandle(handle);
            zut::throw_bad_alloc();
        }
        p_out = made;
        made->service_release();  // p_out holds it now
    }
    void remove(const char* p_path, abort_callback&) override {
        if (!DeleteFileW(windows_path(p_path).c_str())) throw_last_error();
    }
    void move(const char* p_from, const char* p_to, abort_callback&) override {
        if (!MoveFileExW(windows_path(p_from).c_str(), windows_path(p_to).c_str(), MOVEFILE_COPY_ALLOWED))
            throw_last_error();
    }
    bool is_remote(const char*) override { return false; }
    void get_stats(const char* p_path, file_stats& p_stats, bool& p_is_writeable, abort_callback&) override {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExW(windows_path(p_path).c_str(), GetFileExInfoStandard, &data)) throw_last_error();
        p_stats = stats_of(data.dwFileAttributes, data.nFileSizeHigh, data.nFileSizeLow, data.ftLastWriteTime);
        p_is_writeable = (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY) == 0;
    }
    bool make_relative_path(const char* p_file_path, const char* p_playlist_path, zut::string_base& p_out) override {
        if (!is_local(p_file_path) || !is_local(p_playlist_path)) return false;
        const std::string file = p_file_path;
        const std::string folder = directory_of(p_playlist_path);
        if (folder.size() <= kPrefixLength || file.size() <= folder.size() ||
            stricmp_utf8_ex(file.c_str(), t_size(folder.size()), folder.c_str(), t_size(folder.size())) != 0)
            return false;
        p_out.set_string(file.c_str() + folder.size());
        return true;
    }
    bool resolve_relative_path(const char* p_relative_path, const char* p_playlist_path,
                               zut::string_base& p_out) override {
        if (!is_local(p_playlist_path) || std::strstr(p_relative_path, "://") != nullptr) return false;
        const std::string joined = is_absolute(p_relative_path)
                                       ? std::string(p_relative_path)
                                       : directory_of(p_playlist_path + kPrefixLength) + p_relative_path;
        p_out.set_string((kPrefix + to_utf8(full_path(to_wide(joined)))).c_str());
        return true;
    }
    void create_directory(const char* p_path, abort_callback&) override {
        if (!CreateDirectoryW(windows_path(p_path).c_str(), nullptr)) throw_last_error();
    }
    void list_directory(const char* p_path, trovaplay_io::directory_callback& p_callback,
                        abort_callback& p_abort) override {
        std::string folder = p_path;
        if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
        WIN32_FIND_DATAW entry;
        find_scope search{FindFirstFileW((windows_path(folder.c_str()) + L"*").c_str(), &entry)};
        if (search.handle == INVALID_HANDLE_VALUE) throw_last_error();
        do {
            p_abort.check();
            if (std::wcscmp(entry.cFileName, L".") == 0 || std::wcscmp(entry.cFileName, L"..") == 0) continue;
            const std::string url = folder + to_utf8(entry.cFileName);
            const bool is_directory = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            const file_stats stats =
                stats_of(entry.dwFileAttributes, entry.nFileSizeHigh, entry.nFileSizeLow, entry.ftLastWriteTime);
            if (!p_callback.on_item(this, p_abort, url.c_str(), is_directory, stats)) return;
        } while (FindNextFileW(search.handle, &entry));
        if (GetLastError() != ERROR_NO_MORE_FILES) throw_last_error();
    }

private:
    void destroy() override { delete this; }

    static file_stats stats_of(DWORD attributes, DWORD size_high, DWORD size_low, const FILETIME& written) {
        file_stats stats;
        stats.m_size = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? filesize_invalid : join(size_high, size_low);
        stats.m_timestamp = join(written.dwHighDateTime, written.dwLowDateTime);
        return stats;
    }
};

}  // namespace

filesystem* make_local_filesystem() { return new local_filesystem; }

}  // namespace host
