#pragma once
// The two catalogs as the programs must carry them: English identifiers and French
// translations, in stored order.

#include <string>
#include <utility>
#include <vector>

namespace slp::testing {

using CatalogTable = std::vector<std::pair<std::string, std::string>>;

inline const CatalogTable kNotifierCatalog = {
    {"&Exit", "&Quitter"},
    {"&Hide Sylp", "&Masquer Sylp"},
    {"&Refresh", "&Rafraîchir"},
    {"&Show Sylp", "&Afficher Sylp"},
    {"(minutes)", "(minutes)"},
    {"A new version is available: ", "Une nouvelle version est disponible :"},
    {"A previous update is already started...", "Une mise à jour précédente est déjà démarrée..."},
    {"Check G+:", "Vérifier G+ :"},
    {"Click to close", "Cliquer pour fermer"},
    {"Do you want to update?", "Voulez-vous mettre à jour ?"},
    {"Exit", "Quitter"},
    {"Go to G+", "Google+"},
    {"Interval:", "Intervalle :"},
    {"It must be finished before this one can be done!",
     "Elle doit être terminée avant d'effectuer celle-ci !"},
    {"Last post has changed!", "La dernière publication a changé !"},
    {"Last updates:", "Dernières mises à jour :"},
    {"Latest refresh:", "Dernière mise à jour :"},
    {"Notification has changed!", "Le compteur de notification a changé !"},
    {"Refresh", "Rafraîchir"},
    {"Refresh the page using the interval below when checked",
     "Rafraîchir la page en utilisant l'intervalle ci-dessous quand coché"},
    {"Update", "Mettre à jour"},
    {"and update your version.", "et mettre à jour votre version."},
    {"has been updated!", "a été mis à jour !"},
};

inline const CatalogTable kUpdaterCatalog = {
    {"&Restart the application", "&Redémarrer l'application"},
    {"A URL has to be defined!", "Une URL doit être définie !"},
    {"A path for the file has to be defined!", "Un chemin pour le fichier doit être défini !"},
    {"An URL and a path for the file has to be defined!",
     "Une URL et un chemin doivent être définis !"},
    {"Application has been relaunched...", "L'application est relancée..."},
    {"Cannot download the file!", "Impossible de télécharger le fichier !"},
    {"Download finished...", "Téléchargement terminé..."},
    {"Download successful...", "Téléchargement réussi..."},
    {"Successful update", "Mise à jour réussie"},
    {"The folder to store the file cannot be created!",
     "Le répertoire pour stocker le fichier ne peut pas être créé !"},
    {"The target file is currently used...",
     "Le fichier cible est actuellement en cours d'utilisation..."},
    {"The update has failed", "La mise à jour a échoué"},
    {"The update has failed because the file could not be replaced!",
     "La mise à jour a échoué parce que le fichier n'a pas pu être remplacé !"},
    {"The update has failed!", "La mise à jour a échoué !"},
    {"The update is starting...", "La mise à jour va commencer..."},
    {"Update", "Mise à jour"},
    {"Would you retry?", "Voulez-vous réessayer ?"},
    {"bytes", "octects"},
};

}  // namespace slp::testing
