#include "platform/cups_queue.h"

#include <cups/cups.h>

namespace win::cups {

namespace {

constexpr int kConnectTimeoutMs = 10000;

const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

}  // namespace

bool AddQueue(const std::string& queue, const std::string& deviceUri, const std::string& ppdFile) {
  cupsSetPasswordCB2(NoPassword, nullptr);
  char printerUri[HTTP_MAX_URI];
  httpAssembleURIf(HTTP_URI_CODING_ALL, printerUri, sizeof printerUri, "ipp", nullptr, "localhost",
                   0, "/printers/%s", queue.c_str());
  ipp_t* request = ippNewRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, printerUri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, deviceUri.c_str());
  ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
  ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
  // A connection of its own, closed here, rather than libcups' kept default.
  http_t* http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                              kConnectTimeoutMs, nullptr);
  if (http == nullptr) {
    ippDelete(request);
    return false;
  }
  // The request goes with the PPD and is freed by the call.
  ipp_t* response = cupsDoFileRequest(http, request, "/admin/", ppdFile.c_str());
  const bool added = response != nullptr && cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
  ippDelete(response);
  httpClose(http);
  return added;
}

}  // namespace win::cups
