// Event output and description files shown to people: every entry as
// aligned "TAG  value" lines, or as one JSON object per line.
#pragma once

#include <cstdio>
#include <string>

#include "render/event_file_reader.h"

namespace cmr {

enum class EventFileFormat { Text, Json };

// One entry as a JSON object on one line (no line end). A tag that repeats
// with the value it had is written once; with another value it gets the
// suffix "#2", "#3", ...
std::string EventFileEntryToJson(const EventFileEntry& entry);

// The entry as text: a header line "entry N", then "  TAG  value" lines with
// the tags padded to one width; control characters shown as \r, \n, \t or
// \xNN.
std::string EventFileEntryToText(const EventFileEntry& entry, size_t number);

// Prints every entry of a file to out. Returns 0 when the whole file was
// read; 1 when it cannot be opened or is damaged or cut off, after telling
// err what was wrong and how many whole entries were read.
int PrintEventFile(const std::string& path, EventFileFormat format, FILE* out, FILE* err);

}  // namespace cmr
