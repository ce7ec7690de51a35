# Writes PAGES invoice pages of 66 lines (the last line of each page ends in a form
# feed) for the benchmarks:  awk -v pages=N [-v lines=L] -f bench/make_spool.awk
# With lines=L (> 66) every page gets L lines of items instead of 56.
BEGIN {
    n = split("Steel hinges (pair)|Wood screws 4x40 (box)|Cordless drill 18V|Proving baskets|Stainless mixing bowl 8l|Exercise books A4|Whiteboard markers (4)|Desk lamp LED|Paper guillotine A3", item, "|")
    m = split("Harbour Tools Ltd|Millbrook Bakery|Northgate School|Riverside Garage|Old Mill Joinery", cust, "|")
    items = (lines > 66 ? lines : 66) - 10
    for (p = 0; p < pages; ++p) {
        printf "ACME SUPPLIES LTD                          Unit 7, Riverside Trading Estate\n"
        printf "Invoice No: %d\n", 100000 + p
        printf "Date:       2024-%02d-%02d\n", p % 12 + 1, p % 28 + 1
        printf "Customer: %s\n", cust[p % m + 1]
        printf "Address:  %d Harbour Road\n", p % 97 + 1
        printf "          Portsmouth PO%d 3AX\n", p % 9 + 1
        printf "\n"
        printf "Qty  Description                    Unit price      Amount\n"
        total = 0
        for (i = 0; i < items; ++i) {
            q = (p + i) % 30 + 1
            price = ((p * 7 + i * 13) % 9000 + 100) / 100
            total += q * price
            printf "%3d  %-30s %10.2f  %10.2f\n", q, item[(p + i) % n + 1], price, q * price
        }
        printf "\n"
        printf "Amount due: %.2f\f", total
    }
}
