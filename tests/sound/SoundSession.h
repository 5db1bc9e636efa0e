// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "DisplaySession.h"

#include <cstdlib>
#include <filesystem>

namespace drowsel::processes {

// A private sound server for the tests: PulseAudio with a null sink and a null
// source ("mic"), run as the compositors' user, or PipeWire with its
// PulseAudio server on a bus of its own. Its clients, and ours, use it.
class SoundSession : public DisplaySession {
public:
    enum class Server { pulseAudio, pipeWire };

    explicit SoundSession(Server kind) : DisplaySession("sound") {
        if (kind == Server::pulseAudio) {
            startPulseAudio();
        } else {
            startPipeWire();
        }
        setenv("PULSE_SERVER", address.c_str(), 1);
        setVariable("PULSE_SERVER", address);
    }

    void stopServer() { stop(server); }
    // In the server's place, a socket that closes each connection at once and
    // adds a dot to the tally for it.
    pid_t startRefusingServer(const std::string& tally) {
        return start({"python3", "-c",
                      "import socket, sys\n"
                      "s = socket.socket(socket.AF_UNIX); s.bind(sys.argv[1]); s.listen()\n"
                      "while True: s.accept()[0].close(); open(sys.argv[2], 'a').write('.')\n",
                      address.substr(std::string("unix:").size()), tally});
    }
    void startPulseAudio() {
        const auto runtime = std::filesystem::exists(path("runtime")) ? path("runtime") : compositorFolder("runtime");
        address = "unix:" + runtime + "/native";
        std::filesystem::remove(runtime + "/native"); // one of ours the server may not take over
        server = ChildProcesses::start(
            asCompositor({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                          "--load=module-native-protocol-unix auth-anonymous=1 socket=" + runtime + "/native",
                          "--load=module-null-sink sink_name=null", "--load=module-null-source source_name=mic"}),
            environment({"HOME=" + runtime, "XDG_RUNTIME_DIR=" + runtime, "XDG_CONFIG_HOME=" + runtime}),
            path("server.log"));
        awaitServer();
    }

private:
    void startPipeWire() {
        const auto runtime = path("runtime");
        std::filesystem::create_directory(runtime);
        setVariable("XDG_RUNTIME_DIR", runtime);
        setVariable("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + path("bus"));
        const auto bus = start({"dbus-daemon", "--session", "--nofork", "--address=unix:path=" + path("bus")});
        awaitReady([&] { return std::filesystem::exists(path("bus")); }, bus, "no bus", "server.log");
        const auto pipeWire = ChildProcesses::start({"pipewire"}, environment(), path("server.log"));
        awaitReady([&] { return std::filesystem::exists(runtime + "/pipewire-0"); }, pipeWire, "no PipeWire",
                   "server.log");
        ChildProcesses::start({"wireplumber"}, environment(), path("server.log"));
        server = ChildProcesses::start({"pipewire-pulse"}, environment(), path("server.log"));
        address = "unix:" + runtime + "/pulse/native";
        awaitServer();
        run({"pactl", "load-module", "module-null-sink", "sink_name=null"});
    }
    void awaitServer() {
        setVariable("PULSE_SERVER", address);
        awaitReady([&] { return run({"pactl", "info"}).exitCode == 0; }, server, "no sound server", "server.log");
    }

    std::string address;
};

} // namespace drowsel::processes
