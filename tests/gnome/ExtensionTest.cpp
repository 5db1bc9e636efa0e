// SPDX-License-Identifier: GPL-3.0-or-later
#include "GnomeSession.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <regex>

namespace drowsel::gnometest {
namespace {

// A window as ListWindows describes it: each value as gdbus prints it ("'x11'", "true", "uint64 3").
using Window = std::map<std::string, std::string>;

constexpr auto objectPath = "/com/drowsel/Drowsel/Shell";
constexpr auto interface = "com.drowsel.Drowsel.Shell.";
constexpr auto patience = std::chrono::seconds(60);

// One shell for every case, with foot (Wayland) and xterm (XWayland) open in
// it, and gdbus monitor writing down the extension's signals.
class ExtensionTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        session = new GnomeSession({.unsafeMode = true});
        std::cout << "Our bus name was there " << session->startupTime().count() << " ms after the shell started\n";
        session->ChildProcesses::start({"gdbus", "monitor", "--session", "--dest", GnomeSession::drowselBusName},
                                       session->environment(), session->folder() + "/signals");
        ASSERT_TRUE(
            GnomeSession::waitUntil([] { return signalsSince(0).find("is owned by") != std::string::npos; }, patience));
        foot = session->start({"foot"});
        xterm = session->start({"xterm"});
        ASSERT_TRUE(GnomeSession::waitUntil([] { return windowOf(foot) && windowOf(xterm); }, patience))
            << call("ListWindows", {});
    }
    static void TearDownTestSuite() { delete session; }

    static std::string call(const std::string& method, const std::vector<std::string>& arguments) {
        return session->call(GnomeSession::drowselBusName, objectPath, interface + method, arguments);
    }
    static std::optional<Window> windowOf(pid_t pid) {
        const auto reply = call("ListWindows", {});
        const std::regex dictionary("\\{[^{}]*\\}");
        const std::regex entry("'(\\w+)': <([^>]*)>");
        for (auto window = std::sregex_iterator(reply.begin(), reply.end(), dictionary);
             window != std::sregex_iterator(); ++window) {
            Window fields;
            const auto text = window->str();
            for (auto field = std::sregex_iterator(text.begin(), text.end(), entry); field != std::sregex_iterator();
                 ++field) {
                fields[(*field)[1]] = (*field)[2];
            }
            if (fields["pid"] == "uint32 " + std::to_string(pid)) {
                return fields;
            }
        }
        return std::nullopt;
    }
    static std::string idOf(pid_t pid) { return windowOf(pid).value()["id"].substr(std::string("uint64 ").size()); }
    static std::string signalsSince(std::size_t offset) {
        std::ifstream file(session->folder() + "/signals");
        const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        return text.substr(std::min(offset, text.size()));
    }
    static bool awaitSignal(const std::string& signal, std::size_t offset = 0) {
        return GnomeSession::waitUntil(
            [&] { return signalsSince(offset).find(interface + signal) != std::string::npos; }, patience);
    }

    static inline GnomeSession* session = nullptr;
    static inline pid_t foot = -1;
    static inline pid_t xterm = -1;
};

TEST_F(ExtensionTest, AnswersNoOtherUser) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can call as another user";
    }
    for (const auto& method : {std::string("ListWindows"), "CloseWindow " + idOf(foot)}) {
        const auto reply = session
                               ->run({"sh", "-c",
                                      "exec setpriv --reuid=nobody --regid=nogroup --clear-groups gdbus call "
                                      "--session --dest " +
                                          std::string(GnomeSession::drowselBusName) + " --object-path " + objectPath +
                                          " --method " + interface + method + " 2>&1"})
                               .output;
        EXPECT_NE(reply.find("org.freedesktop.DBus.Error.AccessDenied"), std::string::npos) << reply;
    }
    EXPECT_TRUE(session->isRunning(foot));
}

// The last case: foot is gone after it.
TEST_F(ExtensionTest, ClosesOnlyWaylandClients) {
    EXPECT_EQ(call("CloseWindow", {"999999"}), "(false,)");
    EXPECT_EQ(call("CloseWindow", {idOf(xterm)}), "(false,)");
    const auto footId = idOf(foot);
    EXPECT_EQ(call("CloseWindow", {footId}), "(true,)");
    EXPECT_TRUE(GnomeSession::waitUntil([] { return !session->isRunning(foot); }, patience));
    EXPECT_TRUE(awaitSignal("WindowClosed (uint64 " + footId + ",)")) << signalsSince(0);
    EXPECT_TRUE(session->isRunning(xterm));
}

} // namespace
} // namespace drowsel::gnometest
