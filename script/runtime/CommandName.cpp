#include "script/runtime/CommandName.h"

namespace Vrel {

namespace {

struct CommandName {
    uint32_t opcode;
    const char* name;
};

constexpr CommandName kCommandNames[] = {
    {0, "line"},       {1, "data"},         {2, "push value"},       {3, "push var"},
    {4, "array_create"}, {5, "array_assign"}, {6, "jump"},          {7, "jump true"},
    {8, "jump true (check)"}, {9, "jump false"}, {10, "jump false (check)"}, {11, "switch"},
    {12, "label"},     {13, "label_tab"},    {128, "++X"},            {129, "--X"},
    {130, "neg"},      {131, "not"},         {132, "+X"},             {133, "-X"},
    {134, ""},         {144, "X++"},         {145, "X--"},            {160, "*"},
    {161, "/"},        {162, "%"},           {163, "+"},              {164, "-"},
    {165, "<<"},       {166, ">>"},          {167, "<="},             {168, "<"},
    {169, ">="},       {170, ">"},           {171, "=="},             {172, "!="},
    {173, "and"},      {174, "xor"},         {175, "or"},             {176, "&&"},
    {177, "||"},       {224, "call"},        {225, "return"},         {226, "eoc"},
    {227, ""},         {228, "stop"},        {229, "="},              {230, "*="},
    {231, "/="},       {232, "%="},          {233, "+="},             {234, "-="},
    {235, ">>="},      {236, "<<="},         {237, "&="},             {238, "^="},
    {239, "|="},       {240, "paramcpy"},
};

}  // namespace

const char* GetCommandName(uint32_t opcode) {
    for (const CommandName& entry : kCommandNames)
        if (entry.opcode == opcode) return entry.name;
    return "(unknown en_Command)";
}

}  // namespace Vrel
