#include "questionnaire.h"

namespace belva {

namespace {

const std::array<DimensionInfo, DimensionCount> kDimensions = {{
    {Dimension::PS, u"PS", 1, 9, 45,
     u"Retentissement psychologique : ",
     u"Retentissement psychologique (%) :",
     u"Retentissement psychologique (%) : ", 3,
     u"RETENTISSEMENT PSYCHOLOGIQUE"},
    {Dimension::PH, u"PH", 10, 13, 20,
     u"Retentissement physique : ",
     u"Retentissement physique (%) :",
     u"Retentissement physique (%) : ", 4,
     u"RETENTISSEMENT PHYSIQUE"},
    {Dimension::S, u"S", 14, 16, 15,
     u"Retentissement social : ",
     u"Retentissement social (%) :",
     u"Retentissement social (%) : ", 4,
     u"RETENTISSEMENT SOCIAL"},
    {Dimension::DG, u"DG", 17, 20, 20,
     u"Sentiment de douleur généralisée  : ",
     u"Sentiment de douleur généralisée (%) :",
     u"Sentiment de douleur généralisée (%) : ", 3,
     u"SENTIMENT DE DOULEUR GENERALISEE"},
}};

const std::array<ItemInfo, ItemCount> kItems = {{
    {1, Dimension::PS, u"Etre facilement irritable", 4, 4},
    {2, Dimension::PS, u"Avoir des difficultés à se mettre en train le matin", 1, 1},
    {3, Dimension::PS, u"Se fatiguer vite", 5, 5},
    {4, Dimension::PS, u"Ne pas avoir envie de sortir", 4, 4},
    {5, Dimension::PS, u"Se sentir nerveux(se) / tendu(e)", 3, 3},
    {6, Dimension::PS, u"Impression d'être handicapé(e)", 3, 3},
    {7, Dimension::PS, u"Impression d'être un boulet", 4, 4},
    {8, Dimension::PS, u"Devoir prendre des précautions", 3, 3},
    {9, Dimension::PS, u"Etre gêné de montrer ses jambes", 3, 3},
    {10, Dimension::PH, u"Monter plusieurs étages", 4, 4},
    {11, Dimension::PH, u"S'accroupir / s'agenouiller", 4, 4},
    {12, Dimension::PH, u"Marcher d'un bon pas", 5, 5},
    {13, Dimension::PH, u"Effectuer certaines tâches ménagères", 3, 3},
    {14, Dimension::S, u"Aller à des soirées", 5, 5},
    {15, Dimension::S, u"Voyager en voiture", 5, 5},
    {16, Dimension::S, u"Avoir une activité physique importante", 2, 3},
    {17, Dimension::DG, u"Avoir des douleurs dans les jambes", 3, 3},
    {18, Dimension::DG, u"Mal dormir", 6, 6},
    {19, Dimension::DG, u"Gêne dans le travail", 5, 5},
    {20, Dimension::DG, u"Rester longtemps debout", 4, 4},
}};

} // namespace

const std::array<DimensionInfo, DimensionCount> &dimensions() { return kDimensions; }
const std::array<ItemInfo, ItemCount> &items() { return kItems; }
const DimensionInfo &dimensionInfo(Dimension d) { return kDimensions[static_cast<int>(d)]; }

} // namespace belva
