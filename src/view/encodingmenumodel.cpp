#include "view/encodingmenumodel.h"

#include "platform/codepage.h"
#include "txtfilter/encodingcandidates.h"
#include "view/textencodingchoices.h"
#include "view/textroute.h"

using txtfilter::CEncodingCandidates;

bool CEncodingMenuModel::AppliesTo(const std::string& address) {
    return textroute::IsCandidate(textroute::PlainAddress(address));
}

std::string CEncodingMenuModel::StatusText(const std::string& address) {
    if (!AppliesTo(address)) return {};
    const std::string used = textencoding::Used(address);
    return used.empty() ? std::string() : CEncodingCandidates::Label(used);
}

std::vector<EncodingMenuItem> CEncodingMenuModel::Items(const std::string& address) {
    std::vector<EncodingMenuItem> items;
    if (!AppliesTo(address)) return items;
    const std::string chosen = CTextEncodingChoices::Program().Chosen(textencoding::KeyFor(address));
    std::string sample;
    bool whole = false;
    textencoding::ReadSample(address, CEncodingCandidates::kSampleBytes, &sample, &whole);
    // The menu is shown in UTF-8 whatever the locale; previews are UTF-8.
    const auto ranked = CEncodingCandidates::Rank(sample, whole, platform::AnsiCodeSet());

    EncodingMenuItem automatic;
    automatic.text = kAutomatic;
    if (!ranked.empty() && !sample.empty()) automatic.text += "（" + ranked.front().label + "）";
    automatic.checked = chosen.empty();
    items.push_back(automatic);
    bool fitting = true;
    for (size_t i = 0; i < ranked.size(); ++i) {
        const auto& c = ranked[i];
        EncodingMenuItem item;
        item.encoding = c.name;
        item.text = c.label;
        if (c.fits && !c.preview.empty()) item.text += "    " + c.preview;
        item.checked = !chosen.empty() && CEncodingCandidates::Same(chosen, c.name);
        // A line between the automatic entry and the readings, and between
        // the plausible readings and the rest.
        item.separatorBefore = i == 0 || (fitting && !c.fits);
        if (!c.fits) fitting = false;
        items.push_back(item);
    }
    return items;
}

bool CEncodingMenuModel::Choose(const std::string& address, const std::string& encoding, bool* kept) {
    if (kept) *kept = true;
    if (!AppliesTo(address)) return false;
    const std::string key = textencoding::KeyFor(address);
    CTextEncodingChoices& choices = CTextEncodingChoices::Program();
    const std::string before = choices.Chosen(key);
    if (before == encoding) return false;
    const bool written = choices.Choose(key, encoding);
    if (kept) *kept = written;
    return true;
}
