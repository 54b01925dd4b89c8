// libtarvellkit.so exports exactly the Tarvell_* functions its header declares.
#include "tarvellkit/tarvellkit.h"

#include <gtest/gtest.h>

#include <cstddef>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

extern "C" void tarvell_c_record_sizes(size_t* sizes);

namespace {

TEST(PublicHeader, RecordLayoutsAreTheSameInC) {
    size_t c[12] = {};
    tarvell_c_record_sizes(c);
    const size_t cpp[12] = {sizeof(AdbDeviceEntry),
                            sizeof(PhotoInfo),
                            sizeof(MusicInfo),
                            sizeof(VideoInfo),
                            sizeof(AppInfo),
                            sizeof(DeviceInfoRecord),
                            sizeof(SmsRecord),
                            sizeof(ContactRecord),
                            sizeof(CallLogRecord),
                            sizeof(SmsTempGroup),
                            offsetof(SmsTempGroup, newestTime),
                            offsetof(CallLogRecord, photoId)};
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(c[i], cpp[i]) << "record " << i;
    }
}

std::set<std::string> ExportedSymbols() {
    std::set<std::string> names;
    const std::string command =
        std::string("'") + NM_EXECUTABLE + "' -D --defined-only '" + TARVELLKIT_LIBRARY + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        ADD_FAILURE() << "cannot run " << command;
        return names;
    }
    char line[1024];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        // "<address> <type> <name>"
        std::istringstream fields(line);
        std::string address, type, name;
        if (fields >> address >> type >> name) {
            names.insert(name);
        }
    }
    EXPECT_EQ(pclose(pipe), 0) << command;
    return names;
}

std::set<std::string> DeclaredExports() {
    std::ifstream in(TARVELLKIT_HEADER);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string header = text.str();
    std::set<std::string> names;
    static const std::regex declaration(R"(TARVELL_API[^;(){}]*?\b(Tarvell_\w+)\s*\()");
    for (std::sregex_iterator it(header.begin(), header.end(), declaration), end; it != end; ++it) {
        names.insert((*it)[1].str());
    }
    return names;
}

TEST(ExportedSymbols, AreAllTarvellFunctions) {
    const auto exported = ExportedSymbols();
    ASSERT_FALSE(exported.empty());
    for (const std::string& name : exported) {
        EXPECT_EQ(name.rfind("Tarvell_", 0), 0u) << "exported but not Tarvell_*: " << name;
    }
}

TEST(ExportedSymbols, MatchTheHeaderExactly) {
    const auto exported = ExportedSymbols();
    const auto declared = DeclaredExports();
    for (const std::string& name : declared) {
        EXPECT_TRUE(exported.count(name)) << "declared but not exported: " << name;
    }
    for (const std::string& name : exported) {
        EXPECT_TRUE(declared.count(name)) << "exported but not declared: " << name;
    }
    for (const char* mine :
         {"Tarvell_Init", "Tarvell_UnInit", "Tarvell_CheckConnectDeviceToPC_Count",
          "Tarvell_CheckDeviceDetected", "Tarvell_CheckEnableUSBDebug",
          "Tarvell_CheckOpenDebugType", "Tarvell_installAndroidDrivertoPC"}) {
        EXPECT_TRUE(exported.count(mine)) << mine;
    }
}

} // namespace
