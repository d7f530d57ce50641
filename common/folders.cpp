#include "common/folders.h"

char diratu2[256];
char diratu[256];
char dirdadoapli[260];
char dirlocapli[512];
char file_xml[512];
char file_xml_padrao[64] = "config.xml";
