// Whether standard input is a person at a terminal (the console then shows a prompt).
#pragma once

namespace host {
bool standardInputIsTerminal();
}
