' Sums the numbers in a list.
Module Totals

    Function Sum(values As Integer()) As Integer
        Dim total As Integer = 0
        For Each v In values
            total += v ' running total
        Next
        Return total
    End Function

End Module
