#include "core/text/error_box_text.h"

#include <gtest/gtest.h>

using namespace orv;

TEST(ErrorBoxText, FullStopOnlyAfterCharactersBeyondTheDot) {
    const struct {
        const char* Text;
        const char* Shown;
    } cases[] = {{"Fichier introuvable", "Fichier introuvable."},
                 {"Ligne 12", "Ligne 12."},
                 {"/tmp/", "/tmp/."},
                 {"Déjà vu é", "Déjà vu é."},
                 {"Fin.", "Fin."},
                 {"Attention !", "Attention !"},
                 {"(voir plus haut)", "(voir plus haut)"},
                 {"valeur -", "valeur -"},
                 {"a, b,", "a, b,"},
                 {"espace ", "espace "},
                 {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(WithFullStop(c.Text), c.Shown) << c.Text;
}
