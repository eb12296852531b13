#include "reelgrab/QVWebPageSniffer.h"

// The page-loading child of Reelgrab: one request on standard input, records on standard output.
int main(int argc, char **argv)
{
    return ReelgrabWeb::runSnifferChild(argc, argv);
}
