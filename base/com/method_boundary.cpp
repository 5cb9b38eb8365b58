#include "base/com/method_boundary.h"

#include <exception>
#include <new>

#include "base/exceptions.h"

namespace com {

namespace {

HRESULT Classify(ErrorReporter report) {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const cmr::ComError& e) {
    // A success code would hide the failure from the caller.
    return report(FAILED(e.Error()) ? e.Error() : E_FAIL, e.Description());
  } catch (const cmr::BaseException& e) {
    return report(E_FAIL, e.FullText());
  } catch (const std::exception& e) {
    return cmr::ReportErrorA(E_FAIL, e.what());
  } catch (...) {
    return report(E_FAIL, kUnknownFailureText);
  }
}

}  // namespace

HRESULT CurrentFailure(ErrorReporter report) noexcept {
  try {
    return Classify(report);
  } catch (const std::bad_alloc&) {
    // Reporting itself ran out of memory.
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

}  // namespace com
