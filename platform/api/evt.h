// The Windows Event Log interface (Wevtapi.dll): types, constants and the
// function signatures. The component binds the functions at run time through
// LoadLibraryW("Wevtapi.dll") and GetProcAddress; the function-pointer types
// below are what it binds them to.
#pragma once

#include "platform/api/types.h"

#ifdef _WIN32
#include <winevt.h>
typedef EVT_HANDLE* PEVT_HANDLE;
#else

typedef HANDLE EVT_HANDLE;
typedef HANDLE* PEVT_HANDLE;

enum EVT_VARIANT_TYPE {
  EvtVarTypeNull = 0,
  EvtVarTypeString = 1,
  EvtVarTypeAnsiString = 2,
  EvtVarTypeSByte = 3,
  EvtVarTypeByte = 4,
  EvtVarTypeInt16 = 5,
  EvtVarTypeUInt16 = 6,
  EvtVarTypeInt32 = 7,
  EvtVarTypeUInt32 = 8,
  EvtVarTypeInt64 = 9,
  EvtVarTypeUInt64 = 10,
  EvtVarTypeSingle = 11,
  EvtVarTypeDouble = 12,
  EvtVarTypeBoolean = 13,
  EvtVarTypeBinary = 14,
  EvtVarTypeGuid = 15,
  EvtVarTypeSizeT = 16,
  EvtVarTypeFileTime = 17,
  EvtVarTypeSysTime = 18,
  EvtVarTypeSid = 19,
  EvtVarTypeHexInt32 = 20,
  EvtVarTypeHexInt64 = 21,
  EvtVarTypeEvtHandle = 32,
  EvtVarTypeEvtXml = 35
};
#define EVT_VARIANT_TYPE_MASK 0x7f
#define EVT_VARIANT_TYPE_ARRAY 128

typedef void* PSID;

// 16 bytes: an 8-byte value or pointer, a count and a type.
struct EVT_VARIANT {
  union {
    BOOL BooleanVal;
    INT8 SByteVal;
    INT16 Int16Val;
    INT32 Int32Val;
    INT64 Int64Val;
    UINT8 ByteVal;
    UINT16 UInt16Val;
    UINT32 UInt32Val;
    UINT64 UInt64Val;
    float SingleVal;
    double DoubleVal;
    ULONGLONG FileTimeVal;
    SYSTEMTIME* SysTimeVal;
    GUID* GuidVal;
    LPCWSTR StringVal;
    LPCSTR AnsiStringVal;
    PBYTE BinaryVal;
    PSID SidVal;
    size_t SizeTVal;
    BOOL* BooleanArr;
    INT8* SByteArr;
    INT16* Int16Arr;
    INT32* Int32Arr;
    INT64* Int64Arr;
    UINT8* ByteArr;
    UINT16* UInt16Arr;
    UINT32* UInt32Arr;
    UINT64* UInt64Arr;
    float* SingleArr;
    double* DoubleArr;
    FILETIME* FileTimeArr;
    SYSTEMTIME* SysTimeArr;
    GUID* GuidArr;
    LPWSTR* StringArr;
    LPSTR* AnsiStringArr;
    PSID* SidArr;
    size_t* SizeTArr;
    EVT_HANDLE EvtHandleVal;
    LPCWSTR XmlVal;
    LPCWSTR* XmlValArr;
  };
  DWORD Count;
  DWORD Type;
};
typedef EVT_VARIANT* PEVT_VARIANT;
static_assert(sizeof(EVT_VARIANT) == 16, "EVT_VARIANT is 16 bytes");

enum EVT_SYSTEM_PROPERTY_ID {
  EvtSystemProviderName = 0,
  EvtSystemProviderGuid,
  EvtSystemEventID,
  EvtSystemQualifiers,
  EvtSystemLevel,
  EvtSystemTask,
  EvtSystemOpcode,
  EvtSystemKeywords,
  EvtSystemTimeCreated,
  EvtSystemEventRecordId,
  EvtSystemActivityID,
  EvtSystemRelatedActivityID,
  EvtSystemProcessID,
  EvtSystemThreadID,
  EvtSystemChannel,
  EvtSystemComputer,
  EvtSystemUserID,
  EvtSystemVersion,
  EvtSystemPropertyIdEND
};

enum EVT_RENDER_CONTEXT_FLAGS { EvtRenderContextValues = 0, EvtRenderContextSystem = 1, EvtRenderContextUser = 2 };
enum EVT_RENDER_FLAGS { EvtRenderEventValues = 0, EvtRenderEventXml = 1, EvtRenderBookmark = 2 };

enum EVT_QUERY_FLAGS {
  EvtQueryChannelPath = 0x1,
  EvtQueryFilePath = 0x2,
  EvtQueryForwardDirection = 0x100,
  EvtQueryReverseDirection = 0x200,
  EvtQueryTolerateQueryErrors = 0x1000
};

enum EVT_SEEK_FLAGS {
  EvtSeekRelativeToFirst = 1,
  EvtSeekRelativeToLast = 2,
  EvtSeekRelativeToCurrent = 3,
  EvtSeekRelativeToBookmark = 4,
  EvtSeekOriginMask = 7,
  EvtSeekStrict = 0x10000
};

enum EVT_LOGIN_CLASS { EvtRpcLogin = 1 };
enum EVT_RPC_LOGIN_FLAGS {
  EvtRpcLoginAuthDefault = 0,
  EvtRpcLoginAuthNegotiate,
  EvtRpcLoginAuthKerberos,
  EvtRpcLoginAuthNTLM
};
struct EVT_RPC_LOGIN {
  LPWSTR Server;
  LPWSTR User;
  LPWSTR Domain;
  LPWSTR Password;
  DWORD Flags;
};

enum EVT_OPEN_LOG_FLAGS { EvtOpenChannelPath = 0x1, EvtOpenFilePath = 0x2 };

enum EVT_LOG_PROPERTY_ID {
  EvtLogCreationTime = 0,
  EvtLogLastAccessTime,
  EvtLogLastWriteTime,
  EvtLogFileSize,
  EvtLogAttributes,
  EvtLogNumberOfLogRecords,
  EvtLogOldestRecordNumber,
  EvtLogFull
};

enum EVT_CHANNEL_CONFIG_PROPERTY_ID {
  EvtChannelConfigEnabled = 0,
  EvtChannelConfigIsolation,
  EvtChannelConfigType,
  EvtChannelConfigOwningPublisher,
  EvtChannelConfigClassicEventlog,
  EvtChannelConfigAccess,
  EvtChannelLoggingConfigRetention,
  EvtChannelLoggingConfigAutoBackup,
  EvtChannelLoggingConfigMaxSize,
  EvtChannelLoggingConfigLogFilePath,
  EvtChannelPublishingConfigLevel,
  EvtChannelPublishingConfigKeywords,
  EvtChannelPublishingConfigControlGuid,
  EvtChannelPublishingConfigBufferSize,
  EvtChannelPublishingConfigMinBuffers,
  EvtChannelPublishingConfigMaxBuffers,
  EvtChannelPublishingConfigLatency,
  EvtChannelPublishingConfigClockType,
  EvtChannelPublishingConfigSidType,
  EvtChannelPublisherList,
  EvtChannelPublishingConfigFileMax,
  EvtChannelConfigPropertyIdEND
};

enum EVT_CHANNEL_TYPE {
  EvtChannelTypeAdmin = 0,
  EvtChannelTypeOperational,
  EvtChannelTypeAnalytic,
  EvtChannelTypeDebug
};

enum EVT_PUBLISHER_METADATA_PROPERTY_ID {
  EvtPublisherMetadataPublisherGuid = 0,
  EvtPublisherMetadataResourceFilePath,
  EvtPublisherMetadataParameterFilePath,
  EvtPublisherMetadataMessageFilePath,
  EvtPublisherMetadataHelpLink,
  EvtPublisherMetadataPublisherMessageID,
  EvtPublisherMetadataChannelReferences,
  EvtPublisherMetadataChannelReferencePath,
  EvtPublisherMetadataChannelReferenceIndex,
  EvtPublisherMetadataChannelReferenceID,
  EvtPublisherMetadataChannelReferenceFlags,
  EvtPublisherMetadataChannelReferenceMessageID,
  EvtPublisherMetadataLevels,
  EvtPublisherMetadataLevelName,
  EvtPublisherMetadataLevelValue,
  EvtPublisherMetadataLevelMessageID,
  EvtPublisherMetadataTasks,
  EvtPublisherMetadataTaskName,
  EvtPublisherMetadataTaskEventGuid,
  EvtPublisherMetadataTaskValue,
  EvtPublisherMetadataTaskMessageID,
  EvtPublisherMetadataOpcodes,
  EvtPublisherMetadataOpcodeName,
  EvtPublisherMetadataOpcodeValue,
  EvtPublisherMetadataOpcodeMessageID,
  EvtPublisherMetadataKeywords,
  EvtPublisherMetadataKeywordName,
  EvtPublisherMetadataKeywordValue,
  EvtPublisherMetadataKeywordMessageID,
  EvtPublisherMetadataPropertyIdEND
};

enum EVT_EVENT_METADATA_PROPERTY_ID {
  EventMetadataEventID = 0,
  EventMetadataEventVersion,
  EventMetadataEventChannel,
  EventMetadataEventLevel,
  EventMetadataEventOpcode,
  EventMetadataEventTask,
  EventMetadataEventKeyword,
  EventMetadataEventMessageID,
  EventMetadataEventTemplate,
  EvtEventMetadataPropertyIdEND
};

enum EVT_FORMAT_MESSAGE_FLAGS {
  EvtFormatMessageEvent = 1,
  EvtFormatMessageLevel,
  EvtFormatMessageTask,
  EvtFormatMessageOpcode,
  EvtFormatMessageKeyword,
  EvtFormatMessageChannel,
  EvtFormatMessageProvider,
  EvtFormatMessageId,
  EvtFormatMessageXml
};

enum EVT_EXPORTLOG_FLAGS {
  EvtExportLogChannelPath = 0x1,
  EvtExportLogFilePath = 0x2,
  EvtExportLogTolerateQueryErrors = 0x1000
};

enum EVT_SUBSCRIBE_FLAGS { EvtSubscribeToFutureEvents = 1 };

typedef HANDLE EVT_OBJECT_ARRAY_PROPERTY_HANDLE;

#endif  // _WIN32

// Function-pointer types of the bound functions (same on both builds).
extern "C" {
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenSession)(int loginClass, PVOID login, DWORD timeout, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtClose)(EVT_HANDLE object);
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenChannelEnum)(EVT_HANDLE session, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtNextChannelPath)(EVT_HANDLE channelEnum, DWORD bufferSize, LPWSTR buffer,
                                             PDWORD bufferUsed);
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenLog)(EVT_HANDLE session, LPCWSTR path, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtGetLogInfo)(EVT_HANDLE log, int propertyId, DWORD bufferSize, PEVT_VARIANT buffer,
                                        PDWORD bufferUsed);
typedef EVT_HANDLE(WINAPI* PFN_EvtQuery)(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtNext)(EVT_HANDLE resultSet, DWORD eventsSize, PEVT_HANDLE events, DWORD timeout,
                                  DWORD flags, PDWORD returned);
typedef BOOL(WINAPI* PFN_EvtSeek)(EVT_HANDLE resultSet, LONGLONG position, EVT_HANDLE bookmark, DWORD timeout,
                                  DWORD flags);
typedef EVT_HANDLE(WINAPI* PFN_EvtCreateRenderContext)(DWORD valuePathsCount, LPCWSTR* valuePaths, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtRender)(EVT_HANDLE context, EVT_HANDLE fragment, DWORD flags, DWORD bufferSize,
                                    PVOID buffer, PDWORD bufferUsed, PDWORD propertyCount);
typedef BOOL(WINAPI* PFN_EvtExportLog)(EVT_HANDLE session, LPCWSTR path, LPCWSTR query, LPCWSTR targetFilePath,
                                       DWORD flags);
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenChannelConfig)(EVT_HANDLE session, LPCWSTR channelPath, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtGetChannelConfigProperty)(EVT_HANDLE channelConfig, int propertyId, DWORD flags,
                                                      DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed);
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenPublisherMetadata)(EVT_HANDLE session, LPCWSTR publisherId, LPCWSTR logFilePath,
                                                         LCID locale, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtGetPublisherMetadataProperty)(EVT_HANDLE publisherMetadata, int propertyId, DWORD flags,
                                                          DWORD bufferSize, PEVT_VARIANT buffer, PDWORD bufferUsed);
typedef BOOL(WINAPI* PFN_EvtGetObjectArraySize)(EVT_HANDLE objectArray, PDWORD objectArraySize);
typedef BOOL(WINAPI* PFN_EvtGetObjectArrayProperty)(EVT_HANDLE objectArray, DWORD propertyId, DWORD arrayIndex,
                                                    DWORD flags, DWORD bufferSize, PEVT_VARIANT buffer,
                                                    PDWORD bufferUsed);
typedef BOOL(WINAPI* PFN_EvtFormatMessage)(EVT_HANDLE publisherMetadata, EVT_HANDLE event, DWORD messageId,
                                           DWORD valueCount, PEVT_VARIANT values, DWORD flags, DWORD bufferSize,
                                           LPWSTR buffer, PDWORD bufferUsed);
typedef EVT_HANDLE(WINAPI* PFN_EvtOpenEventMetadataEnum)(EVT_HANDLE publisherMetadata, DWORD flags);
typedef EVT_HANDLE(WINAPI* PFN_EvtNextEventMetadata)(EVT_HANDLE eventMetadataEnum, DWORD flags);
typedef BOOL(WINAPI* PFN_EvtGetEventMetadataProperty)(EVT_HANDLE eventMetadata, int propertyId, DWORD flags,
                                                      DWORD eventMetadataPropertyBufferSize,
                                                      PEVT_VARIANT eventMetadataPropertyBuffer,
                                                      PDWORD eventMetadataPropertyBufferUsed);
typedef EVT_HANDLE(WINAPI* PFN_EvtCreateBookmark)(LPCWSTR bookmarkXml);
typedef BOOL(WINAPI* PFN_EvtUpdateBookmark)(EVT_HANDLE bookmark, EVT_HANDLE event);
}
