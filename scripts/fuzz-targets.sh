# The fuzz targets (built by the sanitizers preset into build/sanitizers/bin), one a line: the target, its seed
# corpus, its dictionary, what it reads. Sourced by test.sh and fuzz-long.sh.
fuzz_targets=(
    "sealwing_xml_fuzz xml/fuzz/corpus xml/fuzz/xml.dict the XML reader"
    "sealwing_replies_fuzz service/fuzz/corpus xml/fuzz/xml.dict the service's reply readers"
    "sealwing_template_fuzz reading/fuzz/corpus reading/fuzz/template.dict the reply template's filling and saved names"
    "sealwing_registry_fuzz platform/posix/fuzz/corpus platform/posix/fuzz/registry.dict the settings file's reader"
    "sealwing_credentials_fuzz settings/fuzz/corpus settings/fuzz/credentials.dict the credentials file's loading"
    "sealwing_headers_fuzz mailstore/fuzz/corpus mailstore/fuzz/headers.dict the internet-header reader"
    "sealwing_forms_fuzz platform/posix/fuzz/forms-corpus platform/posix/fuzz/forms.dict both engines' form writers"
)
