#include "cleaner/BrowserPlan.h"

namespace veilport::cleaner {

namespace {

using browsers::BrowserFamily;

// Bookmarks, keywords and tags hold their pages in moz_places (a tag is a
// bookmark too); foreign_count is Firefox's own count of them. Such a page
// stays, with its visit counts reset; every other page goes.
constexpr std::string_view kFirefoxUnheldPages =
    "DELETE FROM moz_places WHERE foreign_count = 0"
    " AND id NOT IN (SELECT fk FROM moz_bookmarks WHERE fk IS NOT NULL)"
    " AND id NOT IN (SELECT place_id FROM moz_keywords WHERE place_id IS NOT NULL)";

TaskPlan FirefoxPlan(CleaningTask task) {
    switch (task) {
        case CleaningTask::History:
            return {
                .databases = {
                    {{"places.sqlite"},
                     {
                         {"history visits", "DELETE FROM moz_historyvisits", {"moz_historyvisits"}},
                         {"visit details",
                          "DELETE FROM moz_historyvisits_extra",
                          {"moz_historyvisits_extra"},
                          true},
                         {"pages",
                          kFirefoxUnheldPages,
                          {"moz_places.foreign_count", "moz_bookmarks.fk",
                           "moz_keywords.place_id"}},
                         {"visit counts of bookmarked pages",
                          "UPDATE moz_places SET visit_count = 0, last_visit_date = "
                          "NULL WHERE visit_count <> 0 OR last_visit_date IS NOT NULL",
                          {"moz_places.visit_count", "moz_places.last_visit_date"}},
                         {"page details",
                          "DELETE FROM moz_places_extra WHERE place_id NOT IN "
                          "(SELECT id FROM moz_places)",
                          {"moz_places_extra.place_id"},
                          true},
                         {"page annotations",
                          "DELETE FROM moz_annos WHERE place_id NOT IN "
                          "(SELECT id FROM moz_places)",
                          {"moz_annos.place_id"},
                          true},
                         {"page metadata",
                          "DELETE FROM moz_places_metadata",
                          {"moz_places_metadata"},
                          true},
                         {"search terms",
                          "DELETE FROM moz_places_metadata_search_queries",
                          {"moz_places_metadata_search_queries"},
                          true},
                         {"typed input",
                          "DELETE FROM moz_inputhistory WHERE place_id NOT IN "
                          "(SELECT id FROM moz_places)",
                          {"moz_inputhistory.place_id"},
                          true},
                         {"sites",
                          "DELETE FROM moz_origins WHERE id NOT IN (SELECT "
                          "origin_id FROM moz_places WHERE origin_id IS NOT NULL)",
                          {"moz_origins", "moz_places.origin_id"},
                          true},
                     }}}};
        case CleaningTask::TypedUrls:
            return {.databases = {
                        {{"places.sqlite"},
                         {
                             {"typed input", "DELETE FROM moz_inputhistory", {"moz_inputhistory"}},
                             {"typed marks",
                              "UPDATE moz_places SET typed = 0 WHERE typed <> 0",
                              {"moz_places.typed"}},
                         }}}};
        case CleaningTask::TemporaryFiles:
            return {.profileFolders = {"cache2", "startupCache"},
                    .cacheFolders = {"cache2", "startupCache"}};
        case CleaningTask::Cookies:
            return {.databases = {{{"cookies.sqlite"},
                                   {{"cookies",
                                     "DELETE FROM moz_cookies WHERE NOT kept_site(host)",
                                     {"moz_cookies.host"}}}}},
                    .siteStorage = true};
        case CleaningTask::AutoCompleteForms:
            return {.databases = {
                        {{"formhistory.sqlite"},
                         {
                             {"form entries", "DELETE FROM moz_formhistory", {"moz_formhistory"}},
                             {"form entry sources",
                              "DELETE FROM moz_history_to_sources",
                              {"moz_history_to_sources"},
                              true},
                             {"form sources", "DELETE FROM moz_sources", {"moz_sources"}, true},
                             {"deleted form entries",
                              "DELETE FROM moz_deleted_formhistory",
                              {"moz_deleted_formhistory"},
                              true},
                         }}}};
        case CleaningTask::AutoCompletePasswords:
            // The key store key4.db stays: it also holds the primary password
            // and the certificates' keys.
            return {.files = {"logins.json", "logins-backup.json"}};
        case CleaningTask::Favorites:
            return {};
    }
    return {};
}

TaskPlan ChromiumPlan(CleaningTask task) {
    const DatabasePlan shortcuts{
        {"Shortcuts"},
        {{"omnibox shortcuts", "DELETE FROM omni_box_shortcuts", {"omni_box_shortcuts"}}}};
    switch (task) {
        case CleaningTask::History:
            return {
                .databases =
                    {{{"History"},
                      {
                          {"pages", "DELETE FROM urls", {"urls"}},
                          {"history visits", "DELETE FROM visits", {"visits"}},
                          {"search terms",
                           "DELETE FROM keyword_search_terms",
                           {"keyword_search_terms"}},
                          {"segments", "DELETE FROM segments", {"segments"}},
                          {"segment use", "DELETE FROM segment_usage", {"segment_usage"}, true},
                          {"visit sources", "DELETE FROM visit_source", {"visit_source"}, true},
                          {"visited links", "DELETE FROM visited_links", {"visited_links"}, true},
                          {"page annotations",
                           "DELETE FROM content_annotations",
                           {"content_annotations"},
                           true},
                          {"page annotations",
                           "DELETE FROM context_annotations",
                           {"context_annotations"},
                           true},
                          {"page clusters", "DELETE FROM clusters", {"clusters"}, true},
                          {"page clusters",
                           "DELETE FROM clusters_and_visits",
                           {"clusters_and_visits"},
                           true},
                          {"page clusters",
                           "DELETE FROM cluster_keywords",
                           {"cluster_keywords"},
                           true},
                          {"page clusters",
                           "DELETE FROM cluster_visit_duplicates",
                           {"cluster_visit_duplicates"},
                           true},
                      }},
                     {{"Top Sites"}, {{"top sites", "DELETE FROM top_sites", {"top_sites"}}}},
                     shortcuts},
                .files = {"Visited Links"}};
        case CleaningTask::TypedUrls:
            return {.databases = {{{"History"},
                                   {{"typed counts",
                                     "UPDATE urls SET typed_count = 0 WHERE typed_count <> 0",
                                     {"urls.typed_count"}}}},
                                  shortcuts}};
        case CleaningTask::TemporaryFiles:
            return {.profileFolders = {"Cache", "Code Cache", "GPUCache"},
                    .cacheFolders = {"Cache", "Code Cache", "GPUCache"}};
        case CleaningTask::Cookies:
            return {.databases = {{{"Network/Cookies", "Cookies"},
                                   {{"cookies",
                                     "DELETE FROM cookies WHERE NOT kept_site(host_key)",
                                     {"cookies.host_key"}}}}},
                    .siteStorage = true};
        case CleaningTask::AutoCompleteForms:
            return {.databases = {
                        {{"Web Data"},
                         {
                             {"form entries", "DELETE FROM autofill", {"autofill"}},
                             {"form entries", "DELETE FROM autocomplete", {"autocomplete"}, true},
                         }}}};
        case CleaningTask::AutoCompletePasswords:
            return {
                .databases = {
                    {{"Login Data", "Login Data For Account"},
                     {
                         {"saved logins", "DELETE FROM logins", {"logins"}},
                         {"password notes", "DELETE FROM password_notes", {"password_notes"}, true},
                         {"insecure password marks",
                          "DELETE FROM insecure_credentials",
                          {"insecure_credentials"},
                          true},
                     }}}};
        case CleaningTask::Favorites:
            return {};
    }
    return {};
}

}  // namespace

TaskPlan PlanFor(BrowserFamily family, CleaningTask task) {
    switch (family) {
        case BrowserFamily::Firefox:
            return FirefoxPlan(task);
        case BrowserFamily::Chromium:
            return ChromiumPlan(task);
    }
    return {};
}

}  // namespace veilport::cleaner
