#pragma once
// Identity of the text filter class: CLSID, type library, ProgIDs and texts.
// Header-only, so the program can name the class without linking the library.

#include "platform/comtypes.h"

namespace txtfilter {

inline constexpr platform::CLSID CLSID_XMLMimeFilterPP = {
    0x5C3E9A10, 0x4B7D, 0x4F21, {0x8E, 0x6A, 0x2D, 0x9B, 0x40, 0xC7, 0xA1, 0x15}};
inline constexpr platform::GUID LIBID_XMLMIMEFILTERLib = {
    0x5C3E9A0F, 0x4B7D, 0x4F21, {0x8E, 0x6A, 0x2D, 0x9B, 0x40, 0xC7, 0xA1, 0x15}};
inline constexpr platform::IID IID_IXMLMimeFilterPP = {
    0x5C3E9A0E, 0x4B7D, 0x4F21, {0x8E, 0x6A, 0x2D, 0x9B, 0x40, 0xC7, 0xA1, 0x15}};

inline constexpr const char* kClsidText = "{5C3E9A10-4B7D-4F21-8E6A-2D9B40C7A115}";
inline constexpr const char* kLibidText = "{5C3E9A0F-4B7D-4F21-8E6A-2D9B40C7A115}";
inline constexpr const char* kIidText = "{5C3E9A0E-4B7D-4F21-8E6A-2D9B40C7A115}";
inline constexpr const char* kProgId = "Pagoramimefilter.PagoraMimeFilterPP.1";
inline constexpr const char* kVersionIndependentProgId = "Pagoramimefilter.PagoraMimeFilterPP";
inline constexpr const char* kClassDescription = "PagoraMimeFilterPP Class";
inline constexpr const char* kInterfaceDescription = "IPagoraMimeFilterPP Interface";
inline constexpr const char* kTypeLibHelpText = "pagoramimefilter 1.0 Type Library";
inline constexpr const char* kThreadingModel = "Apartment";
inline constexpr const char* kProjectName = "Pagoramimefilter";

// The MIME types of the filter's road.
inline constexpr const char* kTextPlain = "text/plain";
inline constexpr const char* kTextHtml = "text/html";

}  // namespace txtfilter
