#pragma once

#include <string>
#include <string_view>

// `text` made safe to print as one line on a terminal: control characters
// (a newline, an escape that would colour or move the cursor, C1 controls)
// and bytes that are not UTF-8 are shown escaped, as \n, \t, \r or \xNN.
std::string printable(std::string_view text);
