#pragma once
// The URL-moniker layer in one include: the session (which MIME filter handles
// which type), the source protocols (a file, a stream fed as it arrives) and
// CUrlmonDocument, which runs a document through the session's filter and lets
// the caller pull the result. See each header for the contracts.
//
// Typical use by a browser adapter for a document of type `type`:
//   if (!platform::CInternetSession::Process().HasMimeFilter(type)) -> let the engine load it itself
//   auto src = platform::CStreamSourceProtocol::Create();   // fed by the HTTP fetch
//   src->SetDataCallback([dev]{ emit dev->readyRead(); });  // queued to the reader's thread
//   auto doc = std::make_unique<platform::CUrlmonDocument>(src.Get(), type, originalUrl);
//   doc->Open(); reply with doc->MimeType(); readData() calls doc->Read(...).

#include "platform/comclassobject.h"
#include "platform/comptr.h"
#include "platform/comtypes.h"
#include "platform/urlmondocument.h"
#include "platform/urlmonfilesource.h"
#include "platform/urlmonsession.h"
#include "platform/urlmonstreamsource.h"
