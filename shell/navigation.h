// Moving between the screens once start-up has opened the window.
#pragma once

// Enters the home screen and from then on every screen the user chooses.
// Does not return while the program runs.
[[noreturn]] void executar_telas();
