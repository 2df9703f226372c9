/* Runs a program in corvel.so at the fastest rate, through the exported
 * interface the way the main program drives it, until a given number of
 * instructions has executed, and prints the instruction count, the cycle
 * count and the wall time.
 *
 *   exports_bench CORVEL_SO PROGRAM_HEX MODEL INSTRUCTIONS [LINE_BP REGISTER_BP]
 *
 * With the last two arguments a line breakpoint and a register breakpoint
 * are armed before the run. Output, one line: "instructions cycles seconds". */
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "engine/corvel_api.h"

#define BIND(name)                                                  \
    __typeof__(&name) p_##name = (__typeof__(&name))dlsym(library, #name); \
    if (!p_##name) {                                                \
        fprintf(stderr, "corvel lacks %s\n", #name);                \
        return 1;                                                   \
    }

static double now(void)
{
    struct timespec time;
    clock_gettime(CLOCK_MONOTONIC, &time);
    return (double)time.tv_sec + (double)time.tv_nsec * 1e-9;
}

static void pause_briefly(void)
{
    const struct timespec interval = {0, 200000};
    nanosleep(&interval, NULL);
}

static unsigned hex_byte(const char* text)
{
    char digits[3] = {text[0], text[1], 0};
    return (unsigned)strtoul(digits, NULL, 16);
}

/* gpasm's Intel HEX (INHX8M): little-endian words at twice their address,
 * the configuration word at word address 0xFFF. Words beyond `words` are
 * dropped. Returns 0 when the file cannot be read. */
static int read_hex(const char* path, unsigned* memory, int words, int* config)
{
    FILE* file = fopen(path, "r");
    if (!file)
        return 0;
    static unsigned char bytes[0x10000];
    static unsigned char present[0x10000];
    char line[600];
    while (fgets(line, sizeof line, file)) {
        if (line[0] != ':' || strlen(line) < 11)
            continue;
        const unsigned count = hex_byte(line + 1);
        const unsigned address = hex_byte(line + 3) << 8 | hex_byte(line + 5);
        if (hex_byte(line + 7) != 0 || strlen(line) < 11 + 2 * count)
            continue;
        for (unsigned i = 0; i < count && address + i < sizeof bytes; ++i) {
            bytes[address + i] = (unsigned char)hex_byte(line + 9 + 2 * i);
            present[address + i] = 1;
        }
    }
    fclose(file);
    *config = -1;
    for (unsigned address = 0; address + 1 < sizeof bytes; address += 2) {
        if (!present[address])
            continue;
        const unsigned word = bytes[address] | (unsigned)bytes[address + 1] << 8;
        if (address / 2 == 0xFFF)
            *config = (int)word;
        else if ((int)(address / 2) < words)
            memory[address / 2] = word;
    }
    return 1;
}

static void on_stop(void) {}

int main(int argc, char** argv)
{
    if (argc != 5 && argc != 7) {
        fprintf(stderr, "usage: %s CORVEL_SO PROGRAM_HEX MODEL INSTRUCTIONS [LINE_BP REGISTER_BP]\n", argv[0]);
        return 2;
    }
    const long long target = atoll(argv[4]);
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    void* (*get_device_class)(void*) = (void* (*)(void*))dlsym(library, "Get_Device_class");
    if (!get_device_class) {
        fprintf(stderr, "corvel lacks Get_Device_class\n");
        return 1;
    }
    BIND(SelectMC)
    BIND(Get_ROM_Size)
    BIND(Set_ROM)
    BIND(Set_config)
    BIND(Set_ROM_BP)
    BIND(Set_MatrixRAM_BreakPoint)
    BIND(Set_RT_parametrs)
    BIND(Calculate_CuclPerCycMK)
    BIND(Get_IC)
    BIND(Get_MC)
    BIND(Get_rtPause)
    BIND(Set_rtRunning)
    BIND(Stop_and_wait)

    p_SelectMC((uint8_t)atoi(argv[3]));
    /* The chip device, as the main program places it before a run; it is
     * left to the end of the process. */
    get_device_class(NULL);

    const int words = p_Get_ROM_Size();
    unsigned* memory = calloc((size_t)words, sizeof *memory);
    int config = -1;
    if (!memory || !read_hex(argv[2], memory, words, &config)) {
        fprintf(stderr, "cannot read %s\n", argv[2]);
        return 1;
    }
    for (int address = 0; address < words; ++address)
        for (int bit = 0; bit < 12; ++bit)
            p_Set_ROM(address, bit, (uint8_t)((memory[address] >> bit) & 1));
    if (config >= 0)
        for (int bit = 0; bit < 12; ++bit)
            p_Set_config(bit, (uint8_t)((config >> bit) & 1));
    if (argc == 7) {
        p_Set_ROM_BP((int32_t)strtol(argv[5], NULL, 0), 1);
        p_Set_MatrixRAM_BreakPoint((int32_t)strtol(argv[6], NULL, 0), 1);
    }

    p_Set_RT_parametrs(0, 0, 0, 0, 1.0);
    const double start = now();
    p_Calculate_CuclPerCycMK(on_stop);
    while (p_Get_IC() < target) {
        if (p_Get_rtPause()) {
            fprintf(stderr, "a breakpoint was hit after %lld instructions\n", (long long)p_Get_IC());
            return 1;
        }
        pause_briefly();
    }
    p_Set_rtRunning(0);
    p_Stop_and_wait();
    const double seconds = now() - start;
    printf("%lld %lld %.6f\n", (long long)p_Get_IC(), (long long)p_Get_MC(), seconds);
    free(memory);
    return 0;
}
