// The XML text of a bookmark, as EvtRender(EvtRenderBookmark) gives it and
// EvtCreateBookmark reads it back.
#pragma once

#include <string>

#include "platform/host/evt/evt_objects.h"

namespace host::evt {

std::u16string BookmarkXml(const Bookmark& bookmark);
// False when the text is not a bookmark list.
bool ParseBookmarkXml(std::u16string_view xml, Bookmark* bookmark);

}  // namespace host::evt
