// Making texts safe as file names: used for pronunciation files and exported exam pages.
#pragma once

// Rewrites text in place: its first 259 characters, with each of the nine characters file
// names may not contain (" * / : < > ? \ |) written as '%' and two upper-case hexadecimal
// digits. The buffer must hold three times the kept length plus one units.
void EscapeFileName(wchar_t *text);
