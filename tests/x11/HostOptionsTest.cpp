#include "options/HostOptions.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

// Every option XScreenSaver's settings dialog can produce, alone and all
// together. (What vorpi makes of options is seen on a display: VorpiOnXvfbTest.)
TEST(HostOptions, TheSettingsDialogOnlyProducesOptionsItAccepts)
{
    std::string xml = (std::ostringstream() << std::ifstream(VORPI_SETTINGS_FILE).rdbuf()).str();
    std::vector<std::string> produced;
    for (std::string attribute : { " arg=\"", " arg-set=\"", " arg-unset=\"" })
        for (auto at = xml.find(attribute); at != std::string::npos; at = xml.find(attribute, at + 1)) {
            auto value = at + attribute.size();
            produced.push_back(xml.substr(value, xml.find('"', value) - value));
        }
    ASSERT_GE(produced.size(), 2u);
    std::vector<const char*> everything;
    for (const std::string& option : produced) {
        EXPECT_NO_THROW(HostOptions::parse(std::vector { option.c_str() }, nullptr)) << option;
        everything.push_back(option.c_str());
    }
    EXPECT_NO_THROW(HostOptions::parse(everything, nullptr));
}

}
