// One entry of a description file: the message text that describes an
// event identifier of a source.
#pragma once

#include <cstdint>
#include <string>

#include "render/event_file_writer.h"

namespace cmr {

// Writes ST "DS", ES the source (in `sourceForm`), EI the low 16 bits of the
// identifier, ED the text escaped (empty when none was found), and ends the
// entry.
void WriteDescriptionEntry(EventFileWriter& writer, const std::u16string& source, FieldForm sourceForm,
                           uint32_t eventId, const std::u16string& text);

}  // namespace cmr
