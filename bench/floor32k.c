/* floor32k: the least a header scan can cost. Opens each file, reads its first 32 KiB and closes it,
 * one process for all files. Files come as arguments, or one a line from the file after "-@". */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static unsigned long long checksum;

static void ReadHead(const char* path) {
    static unsigned char buffer[32768];
    int fd = open(path, O_RDONLY);
    if (fd < 0) return;
    size_t got = 0;
    while (got < sizeof buffer) {
        ssize_t n = read(fd, buffer + got, sizeof buffer - got);
        if (n <= 0) break;
        got += (size_t)n;
    }
    close(fd);
    if (got > 0) checksum += buffer[0] + buffer[got - 1];
}

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "-@") == 0 && i + 1 < argc) {
            FILE* list = fopen(argv[++i], "r");
            if (list == NULL) return 2;
            char line[8192];
            while (fgets(line, sizeof line, list)) {
                size_t n = strlen(line);
                if (n > 0 && line[n - 1] == '\n') line[--n] = '\0';
                if (n > 0) ReadHead(line);
            }
            fclose(list);
        } else {
            ReadHead(argv[i]);
        }
    }
    printf("%llu\n", checksum);
    return 0;
}
