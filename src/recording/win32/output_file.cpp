// Win32 implementation of the output file: opened with no sharing, so a second opener gets a sharing
// violation; a hidden temporary beside an existing file, renamed through its own handle to take its
// name. Names are UTF-8 inside and UTF-16 at every call.
#include "recording/output_file.h"

#include <windows.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "base/win32/wide_text.h"

namespace orvimo {

namespace {

using win32::Utf8FromWide;
using win32::WideFromUtf8;

// One WriteFile or ReadFile moves at most this much, well inside a DWORD.
constexpr std::size_t kMaxTransfer = 1u << 30;
constexpr int kTemporaryAttempts = 100;

HANDLE AsHandle(intptr_t file) { return reinterpret_cast<HANDLE>(file); }
intptr_t AsNative(HANDLE file) { return reinterpret_cast<intptr_t>(file); }

// The system's own text for an error code, without the line break it ends with.
std::string SystemReason(DWORD code) {
  wchar_t* text = nullptr;
  const DWORD flags =
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
  const DWORD length = FormatMessageW(flags, nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring reason(text != nullptr ? text : L"", length);
  LocalFree(text);
  while (!reason.empty() && iswspace(reason.back())) reason.pop_back();
  return reason.empty() ? "System error " + std::to_string(code) + "." : Utf8FromWide(reason);
}

std::string CreateFailure(DWORD code) {
  return code == ERROR_SHARING_VIOLATION ? "The file is in use by another recorder." : SystemReason(code);
}

[[noreturn]] void ThrowCreateError(const std::string& fullPath, const std::string& reason) {
  throw FileCreateError("Cannot create file \"" + fullPath + "\". " + reason);
}

// The writer knows errno values: a full disk and a file too large are told apart, the rest is EIO.
int ErrnoOf(DWORD code) {
  switch (code) {
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
      return EFBIG;
    default:
      return EIO;
  }
}

// Absolute against the current directory, for messages the user can act on.
std::wstring AbsolutePath(const std::wstring& path) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? path : absolute.native();
}

// Read, write and delete through this handle; nobody else may open the file meanwhile. The delete
// right lets the file be renamed or removed through the handle itself, where a call by name would
// be refused by our own missing sharing.
HANDLE OpenUnshared(const std::wstring& path, DWORD disposition, DWORD attributes) {
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, disposition, attributes,
                     nullptr);
}

OVERLAPPED At(uint64_t offset) {
  OVERLAPPED position{};
  position.Offset = static_cast<DWORD>(offset);
  position.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return position;
}

// "C:\dir\.take.wav.1f4-3.part": hidden, in the same folder, so the rename stays on one volume.
std::wstring TemporaryName(const std::wstring& fullPath, unsigned attempt) {
  const std::filesystem::path path(fullPath);
  wchar_t unique[32];
  swprintf(unique, 32, L".%lx-%x.part", GetCurrentProcessId(), (GetTickCount() << 8) + attempt);
  return (path.parent_path() / (L"." + path.filename().native() + unique)).native();
}

bool RenameTo(HANDLE file, const std::wstring& fullPath) {
  const std::size_t nameBytes = fullPath.size() * sizeof(wchar_t);
  std::vector<uint8_t> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
  rename->ReplaceIfExists = TRUE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(nameBytes);
  std::copy(fullPath.begin(), fullPath.end(), rename->FileName);
  return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != 0;
}

void RemoveOnClose(HANDLE file) {
  FILE_DISPOSITION_INFO disposition{};
  disposition.DeleteFile = TRUE;
  SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof(disposition));
}

void CloseIfOpen(intptr_t& file) {
  if (file != -1) CloseHandle(AsHandle(file));
  file = -1;
}

}  // namespace

OutputFile::~OutputFile() {
  // An uncommitted temporary is left rather than removed here: only Discard throws audio away.
  CloseIfOpen(file_);
  CloseIfOpen(target_);
}

std::unique_ptr<OutputFile> OutputFile::Create(const std::string& path) {
  const std::wstring widePath = AbsolutePath(WideFromUtf8(path));
  const std::string fullPath = Utf8FromWide(widePath);
  // A free name is taken with no sharing at once: there is nothing a failed start could destroy.
  HANDLE file = OpenUnshared(widePath, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
  if (file != INVALID_HANDLE_VALUE) {
    return std::unique_ptr<OutputFile>(new OutputFile(AsNative(file), fullPath, "", kNoFile));
  }
  if (const DWORD code = GetLastError(); code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
    ThrowCreateError(fullPath, CreateFailure(code));
  }

  // The name holds a file: hold it unshared (a recorder writing it makes this a sharing violation),
  // never truncate it, and write beside it until Commit.
  const HANDLE target = CreateFileW(widePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
  if (target == INVALID_HANDLE_VALUE) ThrowCreateError(fullPath, CreateFailure(GetLastError()));
  DWORD code = ERROR_FILE_EXISTS;
  for (unsigned attempt = 0; attempt < kTemporaryAttempts && code == ERROR_FILE_EXISTS; ++attempt) {
    const std::wstring temporary = TemporaryName(widePath, attempt);
    file = OpenUnshared(temporary, CREATE_NEW, FILE_ATTRIBUTE_HIDDEN);
    if (file != INVALID_HANDLE_VALUE) {
      return std::unique_ptr<OutputFile>(
          new OutputFile(AsNative(file), fullPath, Utf8FromWide(temporary), AsNative(target)));
    }
    code = GetLastError();
  }
  CloseHandle(target);
  ThrowCreateError(fullPath, SystemReason(code));
}

void OutputFile::Commit() {
  if (committed_) return;
  if (!temporaryPath_.empty()) {
    // A file open anywhere cannot be replaced, so the held target is let go only for the rename; a
    // recorder that opens it in between makes the rename fail, and the old file stays as it was.
    CloseIfOpen(target_);
    if (!RenameTo(AsHandle(file_), WideFromUtf8(fullPath_))) {
      ThrowCreateError(fullPath_, CreateFailure(GetLastError()));
    }
    temporaryPath_.clear();
    FILE_BASIC_INFO basic{};  // times left at zero stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    SetFileInformationByHandle(AsHandle(file_), FileBasicInfo, &basic, sizeof(basic));
  }
  committed_ = true;
}

void OutputFile::Discard() noexcept {
  if (file_ == kNoFile) return;
  // Removed through our own handle, which nobody else can hold, so a recorder that creates the same
  // name next is never hit.
  if (!temporaryPath_.empty() || StillAtItsPath()) RemoveOnClose(AsHandle(file_));
  CloseIfOpen(file_);
  CloseIfOpen(target_);
}

std::size_t OutputFile::WriteAt(const void* data, std::size_t length, uint64_t offset, int& error) noexcept {
  const auto* bytes = static_cast<const uint8_t*>(data);
  std::size_t done = 0;
  error = 0;
  while (done < length) {
    OVERLAPPED position = At(offset + done);
    DWORD written = 0;
    const auto want = static_cast<DWORD>(std::min(length - done, kMaxTransfer));
    if (!WriteFile(AsHandle(file_), bytes + done, want, &written, &position)) {
      error = ErrnoOf(GetLastError());
      break;
    }
    if (written == 0) {
      error = EIO;
      break;
    }
    done += written;
  }
  return done;
}

std::size_t OutputFile::ReadAt(void* data, std::size_t length, uint64_t offset, int& error) const noexcept {
  OVERLAPPED position = At(offset);
  DWORD got = 0;
  error = 0;
  const auto want = static_cast<DWORD>(std::min(length, kMaxTransfer));
  if (!ReadFile(AsHandle(file_), data, want, &got, &position)) {
    const DWORD code = GetLastError();
    if (code != ERROR_HANDLE_EOF) error = ErrnoOf(code);
    return 0;
  }
  return got;
}

uint64_t OutputFile::Size() const {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(AsHandle(file_), &size)) {
    throw std::runtime_error("Cannot read the size of file \"" + fullPath_ + "\". " +
                             SystemReason(GetLastError()));
  }
  return static_cast<uint64_t>(size.QuadPart);
}

void OutputFile::TruncateTo(uint64_t end) {
  FILE_END_OF_FILE_INFO info{};
  info.EndOfFile.QuadPart = static_cast<LONGLONG>(end);
  if (!SetFileInformationByHandle(AsHandle(file_), FileEndOfFileInfo, &info, sizeof(info))) {
    throw std::runtime_error("Cannot write to file \"" + fullPath_ + "\". " + SystemReason(GetLastError()));
  }
}

void OutputFile::Sync() noexcept { FlushFileBuffers(AsHandle(file_)); }

bool OutputFile::StillAtItsPath() const {
  const HANDLE file = AsHandle(file_);
  FILE_STANDARD_INFO standard{};
  if (GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof(standard)) &&
      standard.DeletePending) {
    return false;
  }
  // No data access asked for, so the probe passes even our own missing sharing.
  const std::string& path = temporaryPath_.empty() ? fullPath_ : temporaryPath_;
  const HANDLE named =
      CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (named == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION open{};
  BY_HANDLE_FILE_INFORMATION found{};
  const bool known = GetFileInformationByHandle(file, &open) && GetFileInformationByHandle(named, &found);
  CloseHandle(named);
  return known && open.dwVolumeSerialNumber == found.dwVolumeSerialNumber &&
         open.nFileIndexHigh == found.nFileIndexHigh && open.nFileIndexLow == found.nFileIndexLow &&
         open.nNumberOfLinks > 0;
}

}  // namespace orvimo
