// `ruleweave`: search, score and describe delimited files with the decision-list library.
#include "cli.h"

int main(int argc, char** argv) { return ruleweave_cli::Main(argc, argv); }
