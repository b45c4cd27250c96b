#pragma once
// A test whose settings block is bound to a fresh INI file of its own, for
// the dialog models: what they open with and what "确定" stores.
#include <gtest/gtest.h>

#include <string>

#include "platform/inifile.h"
#include "settings/parablock.h"
#include "support/tempfolder.h"

class StoredSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_ini = m_dir.File("Pagora.ini");
        m_block.SetLocation("ParaBlock", &m_ini);
        m_block.Load();
    }
    // The key as the INI file holds it ("<absent>" when it is not there).
    std::string Stored(const char* key) { return platform::ini::GetString(m_ini, "ParaBlock", key, "<absent>"); }
    TempFolder m_dir;
    std::string m_ini;
    CParaBlock m_block;
};
