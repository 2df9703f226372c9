/* The simulator interface driven from C: its header compiles as C, and a
 * C caller gets texts and bit vectors in the layout it expects. The C++
 * test (exports_test.cpp) calls exportsFromC and checks what it found. */
#include <stdlib.h>
#include <string.h>

#include "engine/corvel_api.h"

_Static_assert(sizeof(TShortString) == 256, "a short string is a 256-byte record");
_Static_assert(sizeof(TResStack) == sizeof(void*), "a bit vector is one reference to element 0");

struct ExportsFromC {
    char instruction[256];
    int32_t jumpTarget;
    int32_t pcLength;   /* the 32-bit length before element 0 */
    int32_t pcRefCount; /* the 32-bit reference count before the length */
    uint32_t pcValue;
    int32_t mnemonicCount;
    char lastMnemonic[256];
};

static void copyText(char* to, const TShortString* text)
{
    memcpy(to, text->chars, text->length);
    to[text->length] = '\0';
}

/* Selects `model`, puts `word` at program address 0, disassembles it and
 * reads the program counter. */
void exportsFromC(uint8_t model, uint16_t word, struct ExportsFromC* result)
{
    SelectMC(model);
    for (int bit = 0; bit < 12; ++bit)
        Set_ROM(0, bit, (uint8_t)((word >> bit) & 1));
    RomToParCommand(0);

    TShortString text;
    text.length = 0;
    GetInstruction(&text);
    copyText(result->instruction, &text);
    result->jumpTarget = Get_parGOTOaddr();

    TResStack pc = {NULL};
    Get_PC(&pc);
    if (pc.ref) {
        int32_t* header = (int32_t*)(void*)pc.ref - 2;
        result->pcRefCount = header[0];
        result->pcLength = header[1];
        result->pcValue = 0;
        for (int32_t bit = 0; bit < result->pcLength; ++bit)
            result->pcValue |= (uint32_t)pc.ref[bit] << bit;
        free(header);
    }

    result->mnemonicCount = Get_SystemCommandCounter();
    Get_SystemCommand_CommandName(&text, result->mnemonicCount - 1);
    copyText(result->lastMnemonic, &text);
}
