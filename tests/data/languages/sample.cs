using System;

/// <summary>Greets people.</summary>
public static class Greeter
{
    /* The greeting is fixed
       for now. */
    public static string Greet(string name) => $"Hello, {name}!";
}
