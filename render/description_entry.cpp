#include "render/description_entry.h"

namespace cmr {

void WriteDescriptionEntry(EventFileWriter& writer, const std::u16string& source, FieldForm sourceForm,
                           uint32_t eventId, const std::u16string& text) {
  writer.WriteTextField(u"ST", u"DS");
  writer.WriteTextField(u"ES", source, sourceForm);
  writer.WriteUnsignedField(u"EI", eventId & 0xFFFF);
  writer.WriteTextField(u"ED", text, FieldForm::Escaped);
  writer.EndEntry();
}

}  // namespace cmr
