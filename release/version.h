/* The version of the Salvora front-ends, in the VERSIONINFO of both programs;
 * the release package takes its name from there. Plain macros: the resource
 * compiler reads this file. */
#ifndef SALVORA_RELEASE_VERSION_H
#define SALVORA_RELEASE_VERSION_H

#define SALVORA_VERSION_NUMBERS 1,0,0,0
#define SALVORA_VERSION_TEXT    "1.0.0.0"

#endif
