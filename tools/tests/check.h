// Minimal checking for the tool tests: each failed check prints where and
// what, and the test's exit status is the number of failures (0 = pass).
#pragma once
#include <stdio.h>
#include <string.h>

static int CheckFailures = 0;

#define CHECK(cond, ...)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            ++CheckFailures;                                                               \
            printf("FAIL %s:%d: %s: ", __FILE__, __LINE__, #cond);                         \
            printf(__VA_ARGS__);                                                           \
            printf("\n");                                                                  \
        }                                                                                  \
    } while (0)

static inline int CheckResult()
{
    printf("%s\n", CheckFailures ? "FAILED" : "passed");
    fflush(stdout);
    return CheckFailures;
}
