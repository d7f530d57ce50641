// Texts the system hands over in UTF-8 (file names, command names) turned into
// the Latin-1 the rest of the program keeps, draws and writes, as the Windows
// ANSI calls would hand them over.
#pragma once

namespace plataforma {

// Converts `texto` in place: each UTF-8 character within Latin-1 becomes its
// single byte; a character beyond Latin-1, a control character and each byte
// that is not part of a valid UTF-8 sequence become "?". The result is never
// longer than the original.
void utf8_para_latin1(char* texto);

}  // namespace plataforma
