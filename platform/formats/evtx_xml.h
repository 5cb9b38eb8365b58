// Renders an event as XML text, as EvtRender(EvtRenderEventXml) does: no
// declaration, no indentation, attributes in single quotes, the text of
// values escaped (&amp; &lt; &gt; &apos; &quot;), an element holding an array
// substitution repeated once per array element.
#pragma once

#include <string>

#include "platform/formats/evtx_model.h"

namespace formats {

std::u16string RenderEvtxXml(const EvtxEvent& event);
void AppendEvtxXml(const EvtxEvent& event, std::u16string& out);

}  // namespace formats
