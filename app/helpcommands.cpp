// Rubriques de l'aide and A propos de.
#include "tform1.h"

#include "about.h"
#include "hh.h"

void TForm1::Rubriquesdelaide1Click()
{
    belva::hh::ShowHelpTopics(this);
}

void TForm1::Aproposde1Click()
{
    AboutBox1->Execute();
}
