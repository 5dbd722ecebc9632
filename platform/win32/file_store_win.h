#pragma once

#include "base/file_store.h"

namespace orvelle {

// Whole files through the system's file functions. Files are opened for reading with every
// sharing mode, so a file another program holds open is still read when it can be.
class Win32FileStore final : public FileStore {
 public:
  ReadOutcome Read(const std::wstring& path, std::string& bytes) override;
  bool Write(const std::wstring& path, std::string_view bytes) override;
  bool Copy(const std::wstring& from, const std::wstring& to) override;
  bool Move(const std::wstring& from, const std::wstring& to) override;
  bool Remove(const std::wstring& path) override;
};

// Bytes in the system's ANSI code page to wide characters: the legacy decoder on Windows.
std::wstring DecodeAnsi(std::string_view bytes);

}  // namespace orvelle
