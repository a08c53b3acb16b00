#pragma once

#include <optional>
#include <string>
#include <string_view>

// One data file of the program folder, read whole and decoded to UTF-16.
//
// A file is plain or scrambled. A scrambled body is XORed with the repeating seven-byte key
// "DadiViz" (byte i of the body with key byte i mod 7), which keeps the shipped lists from
// being read or edited in a text editor; the operation is its own inverse. An optional
// UTF-8 byte-order mark (EF BB BF, never scrambled, not counted by the key index) makes the
// body UTF-8; without it the body is in the local code page. The text ends at the first
// zero byte of the unscrambled body.
//
// Not thread-safe: one thread at a time uses an instance.
class CMyFile {
 public:
  // `path` is the program's relative name, e.g. "Data\\word.kezo".
  CMyFile(std::string path, bool scrambled);
  virtual ~CMyFile() = default;

  // Reads and decodes the file into Text(). A file that cannot be read gives an empty text
  // and leaves HasBom() as it was; a file of fewer than three bytes leaves HasBom() as it
  // was too, since it cannot hold a mark.
  virtual void Read();

  // Replaces the file with `bytes` (cut at its first zero byte; already encoded in the
  // file's character set), scrambled when the file is, after the mark when HasBom() is set.
  // The old file stays whole when the write fails. Returns whether the file was written.
  bool Write(std::string_view bytes) const;
  // The same, written to another path (a filled-in copy of a template, say).
  bool WriteTo(std::string_view bytes, std::string_view path) const;

  const std::u16string& Text() const { return text_; }
  // Hands the decoded text over, leaving Text() empty (lists split it and keep only lines).
  std::u16string TakeText() { return std::move(text_); }

  bool HasBom() const { return has_bom_; }
  void SetHasBom(bool has_bom) { has_bom_ = has_bom; }
  const std::string& Path() const { return path_; }
  bool IsScrambled() const { return scrambled_; }

  // XORs `bytes` with the key, key index 0 at the first byte.
  static void Scramble(std::string& bytes);

  // The body of the file at `path` as UTF-8 bytes: unscrambled when `scrambled`, cut at its
  // first zero byte, converted from the local code page when it has no mark and holds a
  // non-ASCII byte. For large lists that are parsed without widening every entry. An
  // unreadable file gives nothing.
  static std::optional<std::string> ReadUtf8Body(std::string_view path, bool scrambled);

  // Text as it is written to a file with this mark setting: UTF-8 with a mark, else the
  // local code page.
  std::string Encode(std::u16string_view text) const;

 private:
  const std::string path_;
  const bool scrambled_;
  bool has_bom_ = false;
  std::u16string text_;
};
