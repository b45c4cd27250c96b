#include "frame/documentmemory.h"

#include <filesystem>

#include "platform/inifile.h"
#include "session/documentpositions.h"
#include "settings/localpath.h"
#include "settings/parablock.h"
#include "settings/sidefiles.h"
#include "view/pagoraview.h"

CDocumentMemory::CDocumentMemory(CPagoraView* view) : m_view(view) {}

bool CDocumentMemory::Enabled() const {
    return platform::ini::GetInt(TheSideFiles().ini, "DocumentPositions", "Keep", 1) != 0;
}

std::string CDocumentMemory::StorePath() const {
    return (std::filesystem::path(TheSideFiles().ini).parent_path() / "DocumentPositions").string();
}

void CDocumentMemory::RecordCurrent() {
    if (!Enabled()) return;
    CParaBlock& main = MainParaBlock();
    // Kept by local path: the settings name a page by its file:// address once it has loaded.
    DocumentPosition position{AddressToLocalPath(main.GetString(PARA_STR_CURRENT_PATH)),
                              main.GetString(PARA_STR_CUR_PATH_IN_ZIP), 0, 0};
    if (!IsLocalPath(position.document)) return;
    std::tie(position.x, position.y) = m_view->GetScrollOffsets();
    CDocumentPositions(StorePath()).Record(position);
}

void CDocumentMemory::Open(const std::string& location) {
    RecordCurrent();
    std::optional<DocumentPosition> kept;
    const std::string local = AddressToLocalPath(location);
    if (Enabled() && IsLocalPath(local)) kept = CDocumentPositions(StorePath()).Find(local);
    if (!kept) {
        m_view->OpenFile(location);
        return;
    }
    CParaBlock record;
    record.SetString(PARA_STR_CURRENT_PATH, kept->document, false);
    record.SetString(PARA_STR_CUR_PATH_IN_ZIP, kept->inZip, false);
    record.SetValue(PARA_STARTPOINT_X, kept->x, false);
    record.SetValue(PARA_STARTPOINT_Y, kept->y, false);
    m_view->OpenPosition(record);
}
