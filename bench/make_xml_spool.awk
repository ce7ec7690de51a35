# Writes an XML spool of DOCS invoice documents for bench/xml_throughput:
#   awk -v docs=N -f bench/make_xml_spool.awk
BEGIN {
    print "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"
    print "<invoices>"
    for (d = 0; d < docs; ++d) {
        printf " <invoice id=\"A%d\">\n  <number>%d</number>\n  <customer>Customer %d &amp; Sons</customer>\n", d, 100000 + d, d % 977
        printf "  <lines>"
        for (l = 0; l <= d % 4; ++l) printf "<line>item %d</line>", l
        printf "</lines>\n </invoice>\n"
    }
    print "</invoices>"
}
