// Menu commands whose work is not written yet: each does nothing.
#include "tform1.h"

void TForm1::Sauvegardersous1Click() {}
void TForm1::Imprimer1Click() {}
void TForm1::Configurationimprimante1Click() {}
void TForm1::Copier1Click() {}
void TForm1::Copiertest1Click() {}
void TForm1::Rubriquesdelaide1Click() {}
void TForm1::Aproposde1Click() {}
