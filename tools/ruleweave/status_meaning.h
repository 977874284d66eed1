// What the library's status codes mean, in a few words, for the program's error messages.
#ifndef RULEWEAVE_TOOLS_STATUS_MEANING_H_
#define RULEWEAVE_TOOLS_STATUS_MEANING_H_

namespace ruleweave_cli {

// "unknown status code" for a code not listed.
const char* StatusMeaning(long code);

}  // namespace ruleweave_cli

#endif  // RULEWEAVE_TOOLS_STATUS_MEANING_H_
