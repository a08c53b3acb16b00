#pragma once

#include <string>
#include <string_view>

// The address of a page of the program folder for the HTML panes: a file: URL of
// `relative` (a program-relative name such as "Data\\shareto1.html") under the working
// folder. Spaces, "#", "%" and "?" in the folder or the name are percent-encoded, so a
// folder such as "C:\Program Files\A #1" still names the file.
std::u16string LocalPageAddress(std::u16string_view relative);

// The same for an absolute folder given as text (the working folder, in LocalPageAddress).
std::u16string FilePageAddress(std::u16string_view folder, std::u16string_view relative);
