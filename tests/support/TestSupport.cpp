#include "TestSupport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace testsupport {

namespace {

std::string tempDirectory() {
    static const std::string directory = [] {
        std::string pattern = "/tmp/orvandel-test-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
        return pattern + "/";
    }();
    return directory;
}

}  // namespace

std::string tempPath(const std::string& name) { return tempDirectory() + name; }

std::string writeTemp(const std::string& name, const Qor::Bytes& bytes) {
    const std::string path = tempPath(name);
    if (!Qor::writeFile(path, bytes)) throw std::runtime_error("cannot write " + path);
    return path;
}

std::string writeTemp(const std::string& name, const std::string& text) {
    return writeTemp(name, Qor::Bytes(text.begin(), text.end()));
}

std::string writeLevel(const std::string& name, const Qor::LevelContents& contents) {
    return writeTemp(name, Qor::writerFor(contents).bytes());
}

ProcessResult runProcess(const std::vector<std::string>& argv) {
    int outPipe[2];
    int errPipe[2];
    if (pipe(outPipe) != 0 || pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        const int devNull = open("/dev/null", O_RDONLY);
        dup2(devNull, 0);
        dup2(outPipe[1], 1);
        dup2(errPipe[1], 2);
        close(outPipe[0]);
        close(errPipe[0]);
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(outPipe[1]);
    close(errPipe[1]);

    ProcessResult result;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* sinks[2] = {&result.out, &result.err};
    int open = 2;
    while (open > 0) {
        if (poll(fds, 2, -1) < 0) break;
        for (int k = 0; k < 2; ++k) {
            if (fds[k].fd < 0 || fds[k].revents == 0) continue;
            char chunk[4096];
            const ssize_t got = read(fds[k].fd, chunk, sizeof chunk);
            if (got > 0) {
                sinks[k]->append(chunk, static_cast<std::size_t>(got));
            } else {
                close(fds[k].fd);
                fds[k].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

const char* viewerBinary() { return ORVANDEL_BINARY; }
const char* mklevelBinary() { return ORVANDEL_MKLEVEL; }

}  // namespace testsupport
