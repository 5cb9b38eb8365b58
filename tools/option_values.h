// Checks of what a person typed, made before a value or a file reaches the
// component: the component reads numbers leniently ("5x" is 5, "abc" is 0),
// so a malformed value is refused here with a message that names the option
// and the value.
#pragma once

#include <cstdint>
#include <string>

namespace tool {

// "--NAME 'VALUE': WHY", the text of a refused value.
std::string BadValue(const std::string& option, const std::string& value, const std::string& why);

// A decimal or 0x-hexadecimal number from 0 to `max`.
bool CheckNumber(const std::string& option, const std::string& text, uint32_t max, uint32_t* value, std::string* error);

// A list of decimal numbers and ranges ("4624,4700-4705") as the filter's
// number ranges take it: each number up to `max`, no range running backwards,
// no empty piece.
bool CheckRanges(const std::string& option, const std::string& text, uint32_t max, std::string* error);

// "N=TEXT" with N from 1 to `max`.
bool CheckIndexedText(const std::string& option, const std::string& text, uint32_t max, uint32_t* index,
                      std::string* rest, std::string* error);

// Whether a file argument can be handed on: 0 when it can, otherwise the
// exit status with `error` set: 1 when it cannot be read, 2 when it is a
// folder or (for an XML document) UTF-16 text, which the component would only
// call an empty document.
int CheckInputFile(const std::string& path, bool utf8Document, std::string* error);

}  // namespace tool
