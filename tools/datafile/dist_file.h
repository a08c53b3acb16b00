#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The files of the shipped program folder that are made from readable sources: the team
// edits UTF-8 text in dist-src/, and these functions write the forms the program reads.
// The manifest dist-src/manifest.txt names, for each output, its source and its form.
// Pure functions of their input, so a test can rebuild every output and compare it with the
// committed file. Thread-safe.

// How a source becomes its output. Every form writes CR LF line ends.
enum class DistForm {
  // A list (one entry per line) in UTF-8 after the byte-order mark, scrambled with
  // CMyFile's key; the mark itself stays plain.
  kScrambledList,
  // The same list, not scrambled.
  kList,
  // A list in the local code page (GBK), without a mark, for files the program reads as
  // ANSI text line by line.
  kLocalLines,
  // Whole text in the local code page, without a mark (templates whose placeholders the
  // program searches in ANSI text).
  kLocalText,
  // HTML made pure ASCII: every other character becomes a character reference, or a
  // \uXXXX escape inside <script> and a CSS escape inside <style>. Such a fragment reads
  // the same in a page of any encoding and in any local code page.
  kAsciiHtml,
  // kAsciiHtml behind a complete HTTP reply head ("HTTP/1.1 200 OK", content type with
  // charset, Content-Length of the body, "Cache-Control: no-store", "Connection: close"),
  // for a page that is sent as the entire reply.
  kHttpPage,
  // A whole script file (.js) or style sheet (.css) made pure ASCII with the escapes of
  // kAsciiHtml's <script> and <style> parts, so that it reads the same whatever charset
  // the page that loads it declares.
  kAsciiScript,
  kAsciiStyle,
  // Whole text in UTF-16LE after its byte-order mark (the task scheduler's XML).
  kUtf16Text,
};

// Parses a form name as written in the manifest ("scrambled-list", "list", "local-lines",
// "local-text", "ascii-html", "http-page", "ascii-script", "ascii-style", "utf16-text"); nullopt for any other.
std::optional<DistForm> ParseDistForm(std::string_view name);

// The output bytes of one source, or the reason it cannot be built.
struct DistBuild {
  bool ok = false;
  std::string bytes;
  std::string error;  // "line N: ..." where a line is at fault
};

// Builds the output of `source` (UTF-8 without a mark, LF or CR LF line ends) in `form`.
// For the list forms a line that is empty or starts with "#" is a comment and left out; an
// entry with a space or tab at either end, or one that occurs twice, is an error. Every
// form refuses text that is not valid UTF-8 or holds a zero byte, and the local forms
// refuse a character that the local code page cannot hold.
DistBuild BuildDistFile(DistForm form, std::string_view source);

// The entries of a list source as the list forms write them (comments and blank lines
// left out), decoded to UTF-16. Lines with errors are included as they are.
std::vector<std::u16string> DistListEntries(std::string_view source);

// One line of the manifest: "source target form", separated by spaces; paths are relative,
// with "/", the source under dist-src/ and the target under dist/.
struct DistManifestEntry {
  std::string source;
  std::string target;
  DistForm form;
};

struct DistManifest {
  std::vector<DistManifestEntry> entries;
  std::vector<std::string> errors;  // "line N: ..." for each line that could not be read
};

// Reads the manifest text; blank lines and lines starting with "#" are skipped. A line
// without exactly three fields, with an unknown form, or naming a target twice, is an error.
DistManifest ParseDistManifest(std::string_view text);
