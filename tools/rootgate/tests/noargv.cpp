// Runs PROGRAM with an empty argument vector (argc 0) and the caller's environment.
#include <unistd.h>

#include <cstdio>

extern char** environ;

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: rootgate_noargv PROGRAM\n");
        return 2;
    }
    char* const empty[] = {nullptr};
    execve(argv[1], empty, environ);
    perror("execve");
    return 127;
}
