#include "platform/formats/evt_layout.h"

namespace formats {

ELF_EOF_RECORD MakeEofRecord(uint32_t begin, uint32_t end, uint32_t current, uint32_t oldest) {
  ELF_EOF_RECORD eof{};
  eof.RecordSizeBeginning = kEvtEofLead[0];
  eof.One = kEvtEofLead[1];
  eof.Two = kEvtEofLead[2];
  eof.Three = kEvtEofLead[3];
  eof.Four = kEvtEofLead[4];
  eof.BeginRecord = begin;
  eof.EndRecord = end;
  eof.CurrentRecordNumber = current;
  eof.OldestRecordNumber = oldest;
  eof.RecordSizeEnd = kEvtEofSize;
  return eof;
}

bool IsEofRecord(const ELF_EOF_RECORD& eof) {
  return eof.RecordSizeBeginning == kEvtEofLead[0] && eof.One == kEvtEofLead[1] && eof.Two == kEvtEofLead[2] &&
         eof.Three == kEvtEofLead[3] && eof.Four == kEvtEofLead[4] && eof.RecordSizeEnd == kEvtEofSize;
}

}  // namespace formats
