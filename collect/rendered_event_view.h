// The filter's view of a rendered event, as the Windows Event Log collector
// hands it to CEventFilter::MatchVista.
#pragma once

#include "filter/filter_record.h"
#include "render/rendered_event.h"
#include "render/variant_text.h"

namespace cmr {

inline VistaRecordView ViewOf(const RenderedEvent& event) {
  return VistaRecordView{event.SystemValues(), event.SystemCount(), event.UserValues(), event.UserCount(),
                         &VariantToText};
}

}  // namespace cmr
