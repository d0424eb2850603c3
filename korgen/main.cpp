#include "korgen.h"

#include "sim/fileaccess.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char **argv)
{
    std::ios::sync_with_stdio(false);
    // The argument string: the words after the program name joined by
    // single blanks, without the blanks and tabs that follow the name.
    std::string arguments;
    for (int i = 1; i < argc; ++i) {
        if (i > 1)
            arguments += ' ';
        arguments += argv[i];
    }
    arguments.erase(0, arguments.find_first_not_of(" \t"));
    char cwd[4096];
    if (!::getcwd(cwd, sizeof cwd))
        cwd[0] = '\0';
    kordoc::korgen::Environment env{cwd, kordoc::sim::executableFolder()};
    int status = kordoc::korgen::run(arguments, std::cout, env);
    std::cout.flush();
    return status;
}
