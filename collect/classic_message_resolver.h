// ClassicMessageResolver: the message texts of classic event sources, read
// from the message files that the computer's registry names for each source
// (loaded as data files), with the %%n parameter expansion and the
// description entries of the description file. Every text and every miss is
// cached for the life of the resolver; a miss is never looked up again.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/api/types.h"
#include "render/event_file_writer.h"

namespace cmr {

// The registry values of a source's message files, by kind.
enum class MessageFileKind { Category = 0, Parameter = 1, Event = 2 };

class ClassicMessageResolver {
 public:
  ClassicMessageResolver(std::u16string computer, std::u16string logName);
  ~ClassicMessageResolver();  // frees every module loaded
  ClassicMessageResolver(const ClassicMessageResolver&) = delete;
  ClassicMessageResolver& operator=(const ClassicMessageResolver&) = delete;

  // The computer whose registry and files are read (empty: this one); set
  // before the first lookup.
  void SetComputer(const std::u16string& computer) { computer_ = computer; }
  void SetLanguage(LANGID language) { language_ = language; }

  // The raw text of message `id` (inserts left as they are). False with the
  // last error 2 when the source has no such text. Texts are cached by source
  // and identifier only: a text found for one kind answers the others too.
  bool GetMessageText(const std::u16string& source, MessageFileKind kind, DWORD id, std::u16string& text);

  // The text with its %%n references replaced by the source's parameter
  // messages; always succeeds and leaves the last error 0.
  std::u16string ExpandParameters(const std::u16string& source, const std::u16string& text);

  // The description entry of (source, event identifier): the event message,
  // expanded, or empty.
  void WriteDescription(EventFileWriter& writer, const std::u16string& source, DWORD eventId);

 private:
  using Modules = std::vector<HMODULE>;
  const Modules& ModulesFor(const std::u16string& source, MessageFileKind kind);
  Modules LoadMessageModules(const std::u16string& source, MessageFileKind kind);
  std::u16string MessageFilesValue(const std::u16string& source, MessageFileKind kind);
  HMODULE LoadModule(const std::u16string& path);
  bool LookUp(const Modules& modules, DWORD id, std::u16string& text) const;

  std::map<std::u16string, std::map<DWORD, std::u16string>> texts_;
  std::map<std::u16string, std::map<MessageFileKind, Modules>> modules_;
  std::u16string computer_;
  std::u16string logName_;
  LANGID language_ = 0;
};

}  // namespace cmr
