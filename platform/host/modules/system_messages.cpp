#include "platform/host/modules/system_messages.h"

#include <algorithm>
#include <iterator>

namespace host {
namespace {

struct Message {
  DWORD code;
  const char16_t* text;
};

// Sorted by code. Inserts (%1) stay as the system keeps them.
constexpr Message kMessages[] = {
    {0, u"The operation completed successfully."},
    {1, u"Incorrect function."},
    {2, u"The system cannot find the file specified."},
    {3, u"The system cannot find the path specified."},
    {4, u"The system cannot open the file."},
    {5, u"Access is denied."},
    {6, u"The handle is invalid."},
    {8, u"Not enough memory resources are available to process this command."},
    {13, u"The data is invalid."},
    {14, u"Not enough storage is available to complete this operation."},
    {17, u"The system cannot move the file to a different disk drive."},
    {18, u"There are no more files."},
    {29, u"The system cannot write to the specified device."},
    {30, u"The system cannot read from the specified device."},
    {31, u"A device attached to the system is not functioning."},
    {32, u"The process cannot access the file because it is being used by another process."},
    {33, u"The process cannot access the file because another process has locked a portion of the file."},
    {38, u"Reached the end of the file."},
    {39, u"The disk is full."},
    {50, u"The request is not supported."},
    {53, u"The network path was not found."},
    {65, u"Network access is denied."},
    {67, u"The network name cannot be found."},
    {80, u"The file exists."},
    {87, u"The parameter is incorrect."},
    {109, u"The pipe has been ended."},
    {111, u"The file name is too long."},
    {112, u"There is not enough space on the disk."},
    {120, u"This function is not supported on this system."},
    {122, u"The data area passed to a system call is too small."},
    {123, u"The filename, directory name, or volume label syntax is incorrect."},
    {126, u"The specified module could not be found."},
    {127, u"The specified procedure could not be found."},
    {131, u"An attempt was made to move the file pointer before the beginning of the file."},
    {145, u"The directory is not empty."},
    {160, u"One or more arguments are not correct."},
    {161, u"The specified path is invalid."},
    {183, u"Cannot create a file when that file already exists."},
    {193, u"%1 is not a valid Win32 application."},
    {203, u"The system could not find the environment option that was entered."},
    {206, u"The filename or extension is too long."},
    {234, u"More data is available."},
    {259, u"No more data is available."},
    {267, u"The directory name is invalid."},
    {288, u"Attempt to release mutex not owned by caller."},
    {317, u"The system cannot find message text for message number 0x%1 in the message file for %2."},
    {487, u"Attempt to access invalid address."},
    {534, u"Arithmetic result exceeded 32 bits."},
    {997, u"Overlapped I/O operation is in progress."},
    {998, u"Invalid access to memory location."},
    {1004, u"Invalid flags."},
    {1010, u"The configuration registry key is invalid."},
    {1011, u"The configuration registry key could not be opened."},
    {1012, u"The configuration registry key could not be read."},
    {1013, u"The configuration registry key could not be written."},
    {1018, u"Illegal operation attempted on a registry key that has been marked for deletion."},
    {1060, u"The specified service does not exist as an installed service."},
    {1113, u"No mapping for the Unicode character exists in the target multi-byte code page."},
    {1168, u"Element not found."},
    {1212, u"The format of the specified domain name is invalid."},
    {1311, u"There are currently no logon servers available to service the logon request."},
    {1332, u"No mapping between account names and security IDs was done."},
    {1337, u"The security ID structure is invalid."},
    {1338, u"The security descriptor structure is invalid."},
    {1352,
     u"The security account manager (SAM) or local security authority (LSA) server was in the wrong state to "
     u"perform the security operation."},
    {1355, u"The specified domain either does not exist or could not be contacted."},
    {1361, u"A security descriptor is not in the right format (absolute or self-relative)."},
    {1460, u"This operation returned because the timeout period expired."},
    {1500, u"The event log file is corrupted."},
    {1501, u"No event log file could be opened, so the event logging service did not start."},
    {1502, u"The event log file is full."},
    {1503, u"The event log file has changed between read operations."},
    {1722, u"The RPC server is unavailable."},
    {1726, u"The remote procedure call failed."},
    {1787,
     u"The security database on the server does not have a computer account for this workstation trust "
     u"relationship."},
    {1804, u"The specified datatype is invalid."},
    {1812, u"The specified image file did not contain a resource section."},
    {1813, u"The specified resource type cannot be found in the image file."},
    {1814, u"The specified resource name cannot be found in the image file."},
    {1815, u"The specified resource language ID cannot be found in the image file."},
    {1908, u"Could not find the domain controller for this domain."},
    {4317, u"The operation identifier is not valid."},
    {15000, u"The specified channel path is invalid."},
    {15001, u"The specified query is invalid."},
    {15002, u"The publisher metadata cannot be found in the resource."},
    {15003, u"The template for an event definition cannot be found in the resource (error = %1)."},
    {15004, u"The specified publisher name is invalid."},
    {15005,
     u"The event data raised by the publisher is not compatible with the event template definition in the "
     u"publisher's manifest."},
    {15007, u"The specified channel could not be found."},
    {15008, u"The specified XML text was not well-formed. See Extended Error for more details."},
    {15010, u"Configuration error."},
    {15011,
     u"The query result is stale or invalid and must be recreated. This may be due to the log being cleared "
     u"or rolling over after the query result was created."},
    {15012, u"The query result is currently at an invalid position."},
    {15013, u"Registered MSXML doesn't support validation."},
    {15022,
     u"The requested operation cannot be performed over an enabled direct channel. The channel must first "
     u"be disabled."},
    {15024,
     u"Publisher property %1!s! contains an invalid value. The value has an invalid type, is outside of its "
     u"valid range, cannot be changed, or is not supported by this type of publisher."},
    {15027, u"The message resource is present but the message was not found in the message table."},
    {15028, u"The message ID for the desired message could not be found."},
    {15029, u"The substitution string for insert index (%1) could not be found."},
    {15030, u"The description string for parameter reference (%1) could not be found."},
    {15031, u"The maximum number of replacements has been reached."},
    {15033, u"The locale specific resource for the desired message is not present."},
    {15034, u"The resource is too old and is not supported."},
    {15035, u"The resource is too new and is not supported."},
    {15036, u"The channel at index %1!d! of the query can't be opened."},
    {15037,
     u"The publisher has been disabled and its resource is not available. This usually occurs when the "
     u"publisher is in the process of being uninstalled or upgraded."},
    {15100, u"The resource loader failed to find MUI file."},
    // HRESULTs of COM and OLE Automation.
    {0x80004001u, u"Not implemented"},
    {0x80004002u, u"No such interface supported"},
    {0x80004003u, u"Invalid pointer"},
    {0x80004004u, u"Operation aborted"},
    {0x80004005u, u"Unspecified error"},
    {0x8000FFFFu, u"Catastrophic failure"},
    {0x80020001u, u"Unknown interface."},
    {0x80020003u, u"Member not found."},
    {0x80020004u, u"Parameter not found."},
    {0x80020005u, u"Type mismatch."},
    {0x80020006u, u"Unknown name."},
    {0x80020007u, u"No named arguments."},
    {0x80020008u, u"Bad variable type."},
    {0x80020009u, u"Exception occurred."},
    {0x8002000Au, u"Out of present range."},
    {0x8002000Bu, u"Invalid index."},
    {0x8002000Eu, u"Invalid number of parameters."},
    {0x8002000Fu, u"Parameter not optional."},
    {0x8002801Du, u"Library not registered."},
    {0x8002802Bu, u"Element not found."},
    {0x80040110u, u"Class does not support aggregation (or class object is remote)"},
    {0x80040111u, u"ClassFactory cannot supply requested class"},
    {0x80040154u, u"Class not registered"},
};

}  // namespace

const char16_t* SystemMessageText(DWORD code) {
  // A Win32 error wrapped in an HRESULT has the error's text.
  if ((code & 0xFFFF0000u) == 0x80070000u) code &= 0xFFFFu;
  auto it = std::lower_bound(std::begin(kMessages), std::end(kMessages), code,
                             [](const Message& m, DWORD c) { return m.code < c; });
  return (it != std::end(kMessages) && it->code == code) ? it->text : nullptr;
}

}  // namespace host
