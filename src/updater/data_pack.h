#pragma once

#include <string>
#include <string_view>
#include <vector>

// One pack of the data-pack descriptor: a file the data update fetches into the program
// folder, and for an archive unpacks into Data. Texts are in the local code page.
struct DataPack {
  int position = 0;        // the line's index among the descriptor's lines, from 0
  bool archive = false;    // field 1 non-zero: a 7-Zip archive to unpack into Data
  std::string file_name;   // field 2, at most 259: where the pack is saved
  std::string version;     // field 3, at most 19: compared as text with the last descriptor
  std::string address;     // field 4, at most 1023: where the pack is downloaded from
  std::string local_path;  // field 5, at most 259: kept, not used
  int second_flag = 0;     // field 6: kept, not used
};

// Reads a data-pack descriptor. Lines end with LF (a CR before it is dropped too). A line
// that begins with ";" is a comment; a line of fewer than four fields is skipped; neither
// stops the reading. Fields are separated by tabs and empty fields are skipped, so the
// fields of a line are its non-empty tab-separated pieces. A line longer than 1023
// characters ends the reading: it and everything after it are left out.
std::vector<DataPack> ParseDataPacks(std::string_view text);

// Whether a file of that bare name may be written into Data: a data file (".kezo", ".txt"
// or ".html", in any case), never a program, a script or the update-host setting
// "UpdateHost.txt". Refused too: names with a folder, "..", a colon, a quote or a control
// character, and names starting with "-" (which the unpacking tool would read as a switch).
bool IsDataFileName(std::string_view name);

// Whether the pack may be saved under its file name: a plain pack only as a data file of
// Data ("Data\\word.kezo"), an archive only as a ".7z" file in the working folder or in
// Data (it is deleted once unpacked, and only its data files reach Data).
bool MayWritePack(const DataPack& pack);
