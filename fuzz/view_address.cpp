// Addresses and HTTP response heads that reach the reader's view from pages
// and servers: the text road's address mapping, the navigation rules, the
// index navigation and the response-head parser of the text fetcher.
#include <cstddef>
#include <cstdint>
#include <string>

#include "view/httpfetch.h"
#include "view/indexnavigator.h"
#include "view/navigationrules.h"
#include "view/textroute.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);

    CHttpFetch::Head head;
    CHttpFetch::ParseHead(input, &head);
    CHttpFetch::MediaType(head.contentType);
    std::string host, port, target;
    CHttpFetch::SplitAddress(input, &host, &port, &target);

    std::string priv = textroute::ToPrivate(input);
    if (!priv.empty() && textroute::ToOriginal(priv) != textroute::WithoutPart(input)) {
        // The private form of an address must lead back to it (without the
        // part item of a very long text, which the view never sees).
        if (input.compare(0, 7, "http://") == 0) __builtin_trap();
    }
    textroute::ToOriginal(input);
    // A part item comes and goes without touching the rest of the address.
    const int part = textroute::PartOf(input);
    if (textroute::PartOf(textroute::WithPart(input, part + 1)) != part + 1) __builtin_trap();
    if (textroute::WithoutPart(textroute::WithPart(textroute::WithoutPart(input), 3)) != textroute::WithoutPart(input))
        __builtin_trap();

    navrules::QuestionMarkMessage(input);
    navrules::IsBuiltInHome(input);
    navrules::SameDocument(input, "/a/b.htm");
    navrules::AddressBarText(input, "http://127.0.0.1:50000/");
    navrules::WindowFilterRejects(input, {"ads", "pop"});

    CIndexNavigator::ArchiveParent(input, "http://127.0.0.1:50000/");
    CIndexNavigator navigator({"index"}, {"htm"}, [](const std::string&) { return false; });
    navigator.FolderHome(input);
    navigator.ParentFolderHome(input);
    return 0;
}
