#pragma once
// CDownloadControlModel: what the download control dialog shows and stores:
// six switches, each forbidding one kind of content (scripts, Java applets,
// ActiveX controls, pictures, background sounds, videos).
#include <array>

class CParaBlock;

class CDownloadControlModel {
public:
    // The switches in the dialog's order.
    enum Switch { NoScript, NoJava, NoActiveX, NoImage, NoSound, NoVideo, SwitchCount };

    // Reads the six keys as the dialog opens.
    explicit CDownloadControlModel(CParaBlock& block);

    bool IsOn(Switch s) const { return m_on[s]; }
    void Set(Switch s, bool on) { m_on[s] = on; }

    // "确定": writes every switch as 0 or 1, each saved at once.
    void Accept();

    // The settings key each switch edits.
    static int KeyOf(Switch s);

private:
    CParaBlock& m_block;
    std::array<bool, SwitchCount> m_on{};
};
