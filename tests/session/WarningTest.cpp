// SPDX-License-Identifier: GPL-3.0-or-later
// The whole program beside a real notification server (dunst) on a private
// bus: when a pause ends, the application past its limit is warned first,
// and the warning's "Quit now" asks it at once.
#include "DrowselSession.h"

#include <gtest/gtest.h>

#include <fstream>

namespace drowsel::xtest {

namespace {

// The bus lets anyone own and call anything; no service is started on demand.
std::string startBus(DrowselSession& session) {
    const std::string folder = session.x().folder();
    std::ofstream(folder + "/bus.conf") << "<busconfig><listen>unix:tmpdir=/tmp</listen><policy context='default'>"
                                           "<allow send_destination='*'/><allow eavesdrop='true'/><allow own='*'/>"
                                           "</policy></busconfig>";
    session.x().start(
        {"sh", "-c",
         "cd " + folder + " && exec dbus-daemon --nofork --config-file=bus.conf --print-address=3 3>address"});
    std::string address;
    DrowselSession::waitFor([&] { return std::getline(std::ifstream(folder + "/address"), address).good(); });
    return address;
}

} // namespace

TEST(WarningTest, AfterAPauseTheWarningComesFirstAndQuitNowAsksAtOnce) {
    if (std::system("command -v dunst >/dev/null") != 0) {
        GTEST_SKIP() << "dunst is not installed";
    }
    DrowselSession session("hoursUntilClose=0\n");
    const std::string folder = session.x().folder();
    const std::string bus = "DBUS_SESSION_BUS_ADDRESS=" + startBus(session);
    std::ofstream(folder + "/dunstrc") << "[global]\ndmenu = /bin/sh -c \"grep quit-now\"\n";
    session.x().start({"dunst", "-config", folder + "/dunstrc"}, {bus});
    const auto dunstctl = [&](const std::string& arguments) {
        return session.x().run({"sh", "-c", "export " + bus + " && dunstctl " + arguments}).output;
    };
    session.startTray();
    session.startClient("Idle");
    session.startClient("Active");
    session.x().run({"xdotool", "search", "--onlyvisible", "--class", "^Active$", "windowactivate", "--sync"});
    // Paused from the start, whatever the setting up took, until a second
    // before the next minute's sweep, or the one after if that is too near.
    session.startDrowsel("export " + bus + R"sh(
now=$(date +%s)
end=$(( (now / 60 + 1) * 60 - 1 ))
[ $((end - now)) -lt 5 ] && end=$((end + 60))
echo "pausedUntil=$(date -u -d "@$end" +%Y-%m-%dT%H:%M:%SZ)" >>"$XDG_CONFIG_HOME/Drowsel/Drowsel.conf")sh");

    ASSERT_TRUE(
        DrowselSession::waitFor([&] { return dunstctl("count displayed") == "1\n"; }, std::chrono::seconds(150)))
        << dunstctl("count") << session.log();
    EXPECT_EQ(session.countInLog("Idle delete request"), 0u) << "asked before the warning's time: " << session.log();

    dunstctl("action 0");

    EXPECT_TRUE(DrowselSession::waitFor([&] { return session.countInLog("Idle delete request") == 1; }))
        << session.log();
    EXPECT_EQ(session.countInLog("Asked Idle to quit after"), 1u) << session.log();
    EXPECT_EQ(session.countInLog("Active delete request"), 0u) << session.log();
}

} // namespace drowsel::xtest
