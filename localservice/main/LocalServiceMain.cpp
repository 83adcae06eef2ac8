// sealwing-localservice: the local service as a program, for the scripts and the main job.
//
//   sealwing-localservice [--seed FILE] --cert-dir DIR [--port N] [--record DIR] [--silent-port-file FILE]
//                         [--seed-control]
//
// Prints "port=N" and "ca=PATH" (the test CA to trust) on stdout once it listens, then runs until SIGTERM or SIGINT,
// or until its stdin closes when stdin is a pipe or socket (so a parent that dies takes it along). Exit status 2 for
// a bad command line, 1 when it cannot start. With --record, every request is also written to a file in DIR (see
// RequestLog::MirrorTo), for clients in another process that check what the service received. With
// --silent-port-file, it also keeps a port that accepts connections and never answers (SilentListener), and writes
// that port's number into FILE before it prints its own. With --seed-control, a POST of seed text to
// /_sealwing/seed replaces its faults and adds the text's records (LocalService::AcceptSeedOverHttp).
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "localservice/LocalService.h"
#include "localservice/SeedFile.h"
#include "localservice/SilentListener.h"

namespace {

int Usage(const std::string& problem) {
    std::cerr << "sealwing-localservice: " << problem << "\n"
              << "usage: sealwing-localservice [--seed FILE] --cert-dir DIR [--port N] [--record DIR] [--seed-control]"
                 " [--silent-port-file FILE]\n";
    return 2;
}

bool StdinIsAPipe() {
    struct stat status {};
    return fstat(STDIN_FILENO, &status) == 0 && (S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode));
}

}  // namespace

int main(int argc, char** argv) {
    std::string seed;
    std::string certDir;
    std::string recordDir;
    std::string silentPortFile;
    int port = 0;
    bool seedControl = false;
    for (int index = 1; index < argc; ++index) {
        std::string argument = argv[index];
        if (argument == "--seed-control") {
            seedControl = true;
            continue;
        }
        if (index + 1 >= argc) {
            return Usage("missing value after " + argument);
        }
        std::string value = argv[++index];
        if (argument == "--seed") {
            seed = value;
        } else if (argument == "--cert-dir") {
            certDir = value;
        } else if (argument == "--record") {
            recordDir = value;
        } else if (argument == "--silent-port-file") {
            silentPortFile = value;
        } else if (argument == "--port") {
            char* end = nullptr;
            long number = std::strtol(value.c_str(), &end, 10);
            if (*end != '\0' || number < 0 || number > 65535) {
                return Usage("bad port " + value);
            }
            port = static_cast<int>(number);
        } else {
            return Usage("unknown option " + argument);
        }
    }
    if (certDir.empty()) {
        return Usage("--cert-dir is required");
    }

    // Signals are taken through a descriptor, so the server's threads never run a handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    sigdelset(&stopSignals, SIGPIPE);
    int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
    if (signals < 0) {
        std::cerr << "sealwing-localservice: cannot watch signals\n";
        return 1;
    }

    sealwing::localservice::LocalService service;
    if (!seed.empty()) {
        std::string error = sealwing::localservice::LoadSeedFile(seed, service.State(), service.Faults());
        if (!error.empty()) {
            std::cerr << "sealwing-localservice: " << error << "\n";
            return 1;
        }
    }
    if (!recordDir.empty()) {
        std::error_code made;
        std::filesystem::create_directories(recordDir, made);
        if (made) {
            std::cerr << "sealwing-localservice: cannot create " << recordDir << ": " << made.message() << "\n";
            return 1;
        }
        service.Requests().MirrorTo(recordDir);
    }
    if (seedControl) service.AcceptSeedOverHttp();
    std::string error = service.Start(certDir, port);
    if (!error.empty()) {
        std::cerr << "sealwing-localservice: " << error << "\n";
        return 1;
    }
    sealwing::localservice::SilentListener silent;
    if (!silentPortFile.empty()) {
        std::ofstream file(silentPortFile, std::ios::trunc);
        const int silentPort = silent.Start();
        if (silentPort == 0 || !(file << silentPort << "\n" << std::flush)) {
            std::cerr << "sealwing-localservice: cannot keep a silent port in " << silentPortFile << "\n";
            return 1;
        }
    }
    std::cout << "port=" << service.Port() << "\nca=" << std::filesystem::absolute(service.CaFile()).string()
              << std::endl;

    bool watchStdin = StdinIsAPipe();
    pollfd watched[2] = {{signals, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
    while (true) {
        if (poll(watched, watchStdin ? 2 : 1, -1) < 0) {
            continue;  // EINTR
        }
        if (watched[0].revents != 0) {
            break;
        }
        if (watchStdin && watched[1].revents != 0) {
            char buffer[256];
            if (read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
                break;
            }
        }
    }
    silent.Stop();
    service.Stop();
    std::cerr << "sealwing-localservice: stopped after " << service.Requests().Count() << " requests\n";
    close(signals);
    return 0;
}
