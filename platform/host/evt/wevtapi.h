// The functions of the host's Wevtapi.dll. The component reaches them only
// through LoadLibraryW("Wevtapi.dll") and GetProcAddress; tests may call them
// directly. Each has the signature of its PFN_Evt* type (platform/api/evt.h).
#pragma once

#include "platform/api/evt.h"

extern "C" {
EVT_HANDLE WINAPI EvtOpenSession(int loginClass, PVOID login, DWORD timeout, DWORD flags);
BOOL WINAPI EvtClose(EVT_HANDLE object);
EVT_HANDLE WINAPI EvtOpenChannelEnum(EVT_HANDLE session, DWORD flags);
BOOL WINAPI EvtNextChannelPath(EVT_HANDLE channelEnum, DWORD bufferSize, LPWSTR buffer, PDWORD bufferUsed);
EVT_HANDLE WINAPI EvtOpenLog(EVT_HANDLE session, LPCWSTR path, DWORD flags);
BOOL WINAPI EvtGetLogInfo(EVT_HANDLE log, int propertyId, DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed);
EVT_HANDLE WINAPI EvtQuery(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, DWORD flags);
BOOL WINAPI EvtNext(EVT_HANDLE resultSet, DWORD eventsSize, PEVT_HANDLE events, DWORD timeout, DWORD flags,
                    PDWORD returned);
BOOL WINAPI EvtSeek(EVT_HANDLE resultSet, LONGLONG position, EVT_HANDLE bookmark, DWORD timeout, DWORD flags);
EVT_HANDLE WINAPI EvtCreateRenderContext(DWORD valuePathsCount, LPCWSTR* valuePaths, DWORD flags);
BOOL WINAPI EvtRender(EVT_HANDLE context, EVT_HANDLE fragment, DWORD flags, DWORD bufferSize, PVOID buffer,
                      PDWORD bufferUsed, PDWORD propertyCount);
BOOL WINAPI EvtExportLog(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, LPCWSTR targetFilePath, DWORD flags);
EVT_HANDLE WINAPI EvtOpenChannelConfig(EVT_HANDLE session, LPCWSTR channelPath, DWORD flags);
BOOL WINAPI EvtGetChannelConfigProperty(EVT_HANDLE channelConfig, int propertyId, DWORD flags, DWORD bufferSize,
                                        PEVT_VARIANT buffer, PDWORD bufferUsed);
EVT_HANDLE WINAPI EvtOpenPublisherMetadata(EVT_HANDLE session, LPCWSTR publisherId, LPCWSTR logFilePath, LCID locale,
                                           DWORD flags);
BOOL WINAPI EvtGetPublisherMetadataProperty(EVT_HANDLE publisherMetadata, int propertyId, DWORD flags, DWORD bufferSize,
                                            PEVT_VARIANT buffer, PDWORD bufferUsed);
BOOL WINAPI EvtGetObjectArraySize(EVT_HANDLE objectArray, PDWORD objectArraySize);
BOOL WINAPI EvtGetObjectArrayProperty(EVT_HANDLE objectArray, DWORD propertyId, DWORD arrayIndex, DWORD flags,
                                      DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed);
BOOL WINAPI EvtFormatMessage(EVT_HANDLE publisherMetadata, EVT_HANDLE event, DWORD messageId, DWORD valueCount,
                             PEVT_VARIANT values, DWORD flags, DWORD bufferSize, LPWSTR buffer, PDWORD bufferUsed);
EVT_HANDLE WINAPI EvtOpenEventMetadataEnum(EVT_HANDLE publisherMetadata, DWORD flags);
EVT_HANDLE WINAPI EvtNextEventMetadata(EVT_HANDLE eventMetadataEnum, DWORD flags);
BOOL WINAPI EvtGetEventMetadataProperty(EVT_HANDLE eventMetadata, int propertyId, DWORD flags, DWORD bufferSize,
                                        PEVT_VARIANT buffer, PDWORD bufferUsed);
EVT_HANDLE WINAPI EvtCreateBookmark(LPCWSTR bookmarkXml);
BOOL WINAPI EvtUpdateBookmark(EVT_HANDLE bookmark, EVT_HANDLE event);
}

namespace host {

// Makes Wevtapi.dll absent (LoadLibraryW fails with 126) or present again.
void SetWevtapiAvailable(bool available);

// Number of EVT_HANDLEs open in the process (to check that callers close them).
size_t OpenEvtHandleCount();

}  // namespace host
