#include "process.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "support.h"

namespace testsupport {
namespace {

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

std::string program_lines(const std::string& err, const std::string& program) {
    std::string out;
    std::istringstream lines(err);
    std::string line;
    while (std::getline(lines, line))
        if (line.rfind(program + ": ", 0) == 0) out += line + "\n";
    return out;
}

std::string shell_quoted(const std::string& argument) {
    std::string out = "'";
    for (const char c : argument) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

Outcome run_command(const std::string& shell_command, const std::string& folder) {
    const std::string dir = make_temp_dir("run");
    const std::string out_path = dir + "/out";
    const std::string err_path = dir + "/err";
    Outcome r;
    const pid_t pid = ::fork();
    if (pid < 0) return r;
    if (pid == 0) {
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(126);
        const std::string command = "exec 1>" + shell_quoted(out_path) + " 2>" +
                                    shell_quoted(err_path) + "; " + shell_command;
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (::wait4(pid, &status, 0, &usage) != pid) return r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.peak_rss_kb = usage.ru_maxrss;
    r.out = read_all(out_path);
    r.err = read_all(err_path);
    return r;
}

}  // namespace testsupport
