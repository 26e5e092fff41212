/* The least a program opening a file must do: read the whole file into memory and look at
   every byte once. */
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    FILE* f = fopen(argv[1], "rb");
    if (!f) return 1;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    fseek(f, 0, SEEK_SET);
    unsigned char* buffer = malloc(size > 0 ? (size_t)size : 1);
    if (!buffer || fread(buffer, 1, (size_t)size, f) != (size_t)size) return 1;
    fclose(f);
    unsigned long sum = 0;
    for (long i = 0; i < size; ++i) sum += buffer[i];
    printf("%lu\n", sum);
    free(buffer);
    return 0;
}
