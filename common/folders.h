// The folders the program works in and the settings file's paths: start-up
// fills them once, the settings, the report and the capture read them.
#pragma once

extern char diratu2[256];         // the start directory
extern char diratu[256];          // a second copy of it
extern char dirdadoapli[260];     // the user's local application-data folder
extern char dirlocapli[512];      // <dirdadoapli>/Quorvex
extern char file_xml[512];        // <dirlocapli>/config.xml
extern char file_xml_padrao[64];  // "config.xml", the default in the start directory
